// The page's sound output, on the browser's audio thread: plays the stereo samples
// the game mixed ahead on the page's thread and posted here, so that a busy page
// (a long frame, a long command) leaves no gap while the queue lasts. Each post holds
// the samples from one frame of the stream on; a post that replaces takes the place
// of everything queued from its start on (a new effect mixed in a short lead ahead).
// Stream frames are the audio context's own frames (currentFrame).
"use strict";

class BrawlexOutput extends AudioWorkletProcessor {
  constructor() {
    super();
    this.blocks = []; // {start, end, samples (interleaved left, right)}, in order
    this.began = -1; // the first frame ever queued: frames after it not queued are gaps
    this.gapFrames = 0;
    this.loudest = 0; // the largest sample played, out of 32768
    this.quietFrames = Infinity; // frames since the last sound
    this.onsets = []; // the frames where sound began after a silence (the last few)
    this.quanta = 0;
    this.port.onmessage = (event) => this.receive(event.data);
  }

  receive(message) {
    const start = message.start;
    const end = start + message.samples.length / 2;
    if (message.replaces) {
      while (this.blocks.length && this.blocks[this.blocks.length - 1].start >= start) {
        this.blocks.pop();
      }
      const last = this.blocks[this.blocks.length - 1];
      if (last && last.end > start) last.end = start;
    }
    if (end > start) this.blocks.push({ start: start, end: end, samples: message.samples });
    if (this.began < 0) this.began = start;
  }

  process(inputs, outputs) {
    const output = outputs[0];
    const left = output[0];
    const right = output.length > 1 ? output[1] : output[0];
    const frames = left.length;
    const from = currentFrame;
    const until = from + frames;
    left.fill(0);
    right.fill(0);
    while (this.blocks.length && this.blocks[0].end <= from) this.blocks.shift();
    let covered = 0;
    for (const block of this.blocks) {
      if (block.start >= until) break;
      const first = Math.max(block.start, from);
      const last = Math.min(block.end, until);
      const samples = block.samples;
      for (let frame = first; frame < last; ++frame) {
        const at = 2 * (frame - block.start);
        left[frame - from] = samples[at];
        right[frame - from] = samples[at + 1];
      }
      covered += last - first;
    }
    if (this.began >= 0 && until > this.began) {
      this.gapFrames += until - Math.max(from, this.began) - covered;
    }
    this.listen(left, right, from);
    if (++this.quanta % 8 === 0) this.report(until);
    return true;
  }

  // What a test of the page reads: the loudest sample and where sounds began.
  listen(left, right, from) {
    for (let i = 0; i < left.length; ++i) {
      const level = Math.max(Math.abs(left[i]), Math.abs(right[i]));
      if (level * 32768 > this.loudest) this.loudest = Math.round(level * 32768);
      if (level < 1 / 256) {
        ++this.quietFrames;
        continue;
      }
      if (this.quietFrames > 2048) {
        this.onsets.push(from + i);
        if (this.onsets.length > 16) this.onsets.shift();
      }
      this.quietFrames = 0;
    }
  }

  report(frame) {
    this.port.postMessage({ frame: frame, quanta: this.quanta, gapFrames: this.gapFrames,
                            loudest: this.loudest, onsets: this.onsets.slice() });
  }
}

registerProcessor("brawlex-output", BrawlexOutput);
