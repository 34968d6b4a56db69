// The web page's way to the relay: a WebSocket (a browser cannot send UDP) beneath the
// datagram interface, one binary message per datagram. The browser's own WebSocket
// does the work; these few functions pass messages across.
#include "net/websocket_web.h"

#include <emscripten.h>

#include <cstdint>

// Every socket is an entry of Module.relaySockets: the WebSocket, the messages that
// arrived (at most 256 wait; more are dropped, as a full network would) and whether
// it is open or has failed.
EM_JS(int, relaySocketOpen, (const char* url), {
    if (!Module.relaySockets) Module.relaySockets = [];
    let ws;
    try {
        ws = new WebSocket(UTF8ToString(url));
    } catch (e) {
        return -1;
    }
    ws.binaryType = 'arraybuffer';
    const entry = {ws : ws, inbox : [], open : false, failed : false};
    // Functions, not arrows: the preprocessor would split "=>".
    ws.onopen = function() {
        entry.open = true;
    };
    ws.onmessage = function(event) {
        if (event.data instanceof ArrayBuffer && entry.inbox.length < 256)
            entry.inbox.push(new Uint8Array(event.data));
    };
    ws.onclose = function() {
        entry.failed = true;
        entry.open = false;
    };
    ws.onerror = ws.onclose;
    Module.relaySockets.push(entry);
    return Module.relaySockets.length - 1;
});

EM_JS(int, relaySocketSend, (int id, const std::uint8_t* data, int size), {
    const entry = Module.relaySockets && Module.relaySockets[id];
    if (!entry || !entry.open) return 0;
    // A browser that cannot keep up holds no more than 64 KiB for the relay.
    if (entry.ws.bufferedAmount > 65536) return 0;
    entry.ws.send(HEAPU8.slice(data, data + size));
    return 1;
});

// The next message's length (copied into `buffer`), -1 when none waits, -2 when it was
// longer than the buffer and dropped.
EM_JS(int, relaySocketReceive, (int id, std::uint8_t* buffer, int capacity), {
    const entry = Module.relaySockets && Module.relaySockets[id];
    if (!entry || entry.inbox.length == 0) return -1;
    const message = entry.inbox.shift();
    if (message.length > capacity) return -2;
    HEAPU8.set(message, buffer);
    return message.length;
});

// The page's fragment waiting to be read as a room link (-1: none, or too long).
EM_JS(int, pageTakeFragment, (char* buffer, int capacity), {
    const fragment = BrawlexPage.roomLink.take();
    return fragment ? BrawlexPage.roomLink.copy(HEAPU8, buffer, capacity, fragment) : -1;
});

EM_JS(int, pageHostName, (char* buffer, int capacity),
      { return BrawlexPage.roomLink.copy(HEAPU8, buffer, capacity, BrawlexPage.roomLink.host()); });

EM_JS(int, pageAddress, (char* buffer, int capacity), {
    return BrawlexPage.roomLink.copy(HEAPU8, buffer, capacity, BrawlexPage.roomLink.pageAddress());
});

EM_JS(void, pageShowRoomLink, (const char* link, const char* code),
      { BrawlexPage.roomLink.show(UTF8ToString(link), UTF8ToString(code)); });

EM_JS(void, pageHideRoomLink, (), { BrawlexPage.roomLink.hide(); });

EM_JS(void, relaySocketClose, (int id), {
    const entry = Module.relaySockets && Module.relaySockets[id];
    if (!entry) return;
    try {
        entry.ws.close();
    } catch (e) {
    }
    Module.relaySockets[id] = null;
});

namespace {

struct WebSocketContext {
    int id;
};

bool webSocketSend(void* context, const NetAddress&, std::span<const std::uint8_t> bytes) {
    if (bytes.size() > maxDatagramSize) return false;
    return relaySocketSend(static_cast<WebSocketContext*>(context)->id, bytes.data(),
                           static_cast<int>(bytes.size())) != 0;
}

bool webSocketReceive(void* context, NetAddress& from, std::span<std::uint8_t> buffer,
                      std::size_t& size) {
    const int id = static_cast<WebSocketContext*>(context)->id;
    for (;;) {
        const int n = relaySocketReceive(id, buffer.data(), static_cast<int>(buffer.size()));
        if (n == -1) return false;
        if (n < 0) continue; // too long: dropped whole
        from = relayServerAddress();
        size = static_cast<std::size_t>(n);
        return true;
    }
}

void webSocketClose(void* context) {
    auto* socket = static_cast<WebSocketContext*>(context);
    relaySocketClose(socket->id);
    delete socket;
}

} // namespace

NetAddress relayServerAddress() {
    NetAddress address;
    address.kind = NetAddressKind::Relay;
    return address;
}

bool openWebSocketDatagram(DatagramSocket& out, const std::string& url, std::string& error) {
    const int id = relaySocketOpen(url.c_str());
    if (id < 0) {
        error = "cannot open " + url;
        return false;
    }
    out.context = new WebSocketContext{id};
    out.send = webSocketSend;
    out.receive = webSocketReceive;
    out.close = webSocketClose;
    return true;
}

bool takePageRoomLink(net::RoomLink& out) {
    char fragment[net::maxRoomLinkLength + 1];
    if (pageTakeFragment(fragment, sizeof fragment) < 0) return false;
    char host[256];
    if (pageHostName(host, sizeof host) < 0) host[0] = '\0';
    return net::parseRoomLink(fragment, host, out);
}

std::string showPageRoomLink(const std::string& relay, const relay::Code& code) {
    std::string address(2048, '\0');
    const int length = pageAddress(address.data(), static_cast<int>(address.size()));
    if (length < 0) return {};
    address.resize(static_cast<std::size_t>(length));
    const std::string link = net::roomLinkAddress(address, relay, code);
    if (!link.empty()) pageShowRoomLink(link.c_str(), std::string(relay::codeText(code)).c_str());
    return link;
}

void hidePageRoomLink() {
    pageHideRoomLink();
}
