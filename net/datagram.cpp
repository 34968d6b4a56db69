#include "net/datagram.h"

#include <cstdio>

std::string formatNetAddress(const NetAddress& a) {
    char text[64];
    switch (a.kind) {
    case NetAddressKind::Ipv4:
        std::snprintf(text, sizeof text, "%u.%u.%u.%u:%u", a.ip[0], a.ip[1], a.ip[2], a.ip[3],
                      a.port);
        return text;
    case NetAddressKind::Ipv6: {
        std::string s = "[";
        for (int i = 0; i < 16; i += 2) {
            std::snprintf(text, sizeof text, "%s%x", i ? ":" : "", (a.ip[i] << 8) | a.ip[i + 1]);
            s += text;
        }
        std::snprintf(text, sizeof text, "]:%u", a.port);
        return s + text;
    }
    case NetAddressKind::Relay:
        return "relay room";
    case NetAddressKind::None:
        break;
    }
    return "none";
}

void closeDatagramSocket(DatagramSocket& socket) {
    if (socket.close) socket.close(socket.context);
    socket = DatagramSocket{};
}
