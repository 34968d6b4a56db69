#include "net/udp_socket.h"

#include <charconv>

bool splitHostPort(std::string_view text, std::uint16_t defaultPort, std::string& host,
                   std::uint16_t& port) {
    std::string_view h = text, p;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) return false;
        h = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            p = rest.substr(1);
            if (p.empty()) return false;
        }
    } else if (text.find(':') != text.rfind(':')) {
        h = text; // a bare IPv6 address: no port
    } else if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        h = text.substr(0, colon);
        p = text.substr(colon + 1);
        if (p.empty()) return false;
    }
    if (h.empty()) return false;
    unsigned value = defaultPort;
    if (!p.empty()) {
        const auto [end, ec] = std::from_chars(p.data(), p.data() + p.size(), value);
        if (ec != std::errc{} || end != p.data() + p.size() || value == 0 || value > 65535)
            return false;
    }
    host.assign(h);
    port = static_cast<std::uint16_t>(value);
    return true;
}
