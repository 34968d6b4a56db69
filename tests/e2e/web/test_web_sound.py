"""The web page's sound: the audio starts with the first key press, a shot is
heard, nothing is heard before it, and the page plays as before where the browser
has no Web Audio at all."""

import time
import unittest

from web_harness import P1_KEYS, PageTestCase, poll


def audio(page):
    return page.script("const a = window.Module && Module.brawlexAudio;"
                       " return a ? {state: a.context ? a.context.state : null,"
                       " callbacks: a.callbacks, loudest: a.loudest} : null")


class SoundTest(PageTestCase):
    def test_the_first_key_starts_the_sound_and_a_shot_is_heard(self):
        self.page.open()
        self.page.wait_settled()
        self.assertIsNone(audio(self.page)["state"], "sound before any key press")

        self.page.press(P1_KEYS["right"])  # a step: no sound of its own
        poll(lambda: audio(self.page)["callbacks"] > 20, 20, what="the audio running")
        self.assertEqual(audio(self.page)["state"], "running")
        self.assertEqual(audio(self.page)["loudest"], 0)

        self.page.hold(P1_KEYS["attack"])
        time.sleep(0.1)  # a few frames: one shot
        self.page.release(P1_KEYS["attack"])
        poll(lambda: audio(self.page)["loudest"] > 2000, 10, what="the shot heard")
        self.assertLess(audio(self.page)["loudest"], 32767)

    def test_without_web_audio_the_page_plays_silently(self):
        # A page whose browser has no audio context: everything else works.
        self.page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {
            "source": "delete window.AudioContext; delete window.webkitAudioContext;"})
        self.page.open()
        self.page.wait_settled()
        self.page.hold(P1_KEYS["attack"])
        time.sleep(0.3)
        self.page.release(P1_KEYS["attack"])
        frames = self.page.frames()
        poll(lambda: self.page.frames() > frames + 20, 10, what="frames after the shots")
        self.assertIsNone(audio(self.page))
        self.assertIsNone(self.page.notice())


if __name__ == "__main__":
    unittest.main()
