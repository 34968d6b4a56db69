#include "net/room_link.h"

#include <algorithm>

namespace net {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isNameCharacter(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-';
}

bool isIpv6Character(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

bool isPathCharacter(char c) {
    return isNameCharacter(c) || c == '/' || c == '_' || c == '~';
}

// ":<1..65535>" with no leading zero, or nothing.
bool isPortOrNothing(std::string_view text) {
    if (text.empty()) return true;
    if (text.front() != ':' || text.size() < 2 || text.size() > 6 || text[1] == '0') return false;
    unsigned value = 0;
    for (const char c : text.substr(1)) {
        if (!isDigit(c)) return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 65535;
}

// "name[:port]" or "[v6][:port]".
bool isHostAndPort(std::string_view text) {
    if (text.empty()) return false;
    std::size_t hostEnd = 0;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close < 3 || close > 46) return false;
        const std::string_view inside = text.substr(1, close - 1);
        if (!std::all_of(inside.begin(), inside.end(), isIpv6Character) ||
            inside.find(':') == std::string_view::npos)
            return false;
        hostEnd = close + 1;
    } else {
        hostEnd = std::min(text.find(':'), text.size());
        const std::string_view name = text.substr(0, hostEnd);
        if (name.empty() || name.size() > 253 || name.front() == '.' || name.front() == '-' ||
            !std::all_of(name.begin(), name.end(), isNameCharacter))
            return false;
    }
    return isPortOrNothing(text.substr(hostEnd));
}

bool isLinkable(std::string_view relay) {
    for (const std::string_view scheme : {std::string_view("ws://"), std::string_view("wss://")}) {
        if (relay.substr(0, scheme.size()) != scheme) continue;
        const std::string_view rest = relay.substr(scheme.size());
        const std::size_t slash = std::min(rest.find('/'), rest.size());
        const std::string_view path = rest.substr(slash);
        return isHostAndPort(rest.substr(0, slash)) && path.size() <= 100 &&
               std::all_of(path.begin(), path.end(), isPathCharacter);
    }
    return isHostAndPort(relay);
}

} // namespace

std::string linkableRelay(std::string_view relay) {
    while (!relay.empty() && (relay.front() == ' ' || relay.front() == '\t'))
        relay.remove_prefix(1);
    while (!relay.empty() && (relay.back() == ' ' || relay.back() == '\t')) relay.remove_suffix(1);
    if (relay.empty() || relay.size() > maxRoomLinkLength) return {};
    std::string text(relay);
    // An IPv6 address as JOIN takes it (whole, no port) needs brackets in a link.
    if (text.front() != '[' && text.find("://") == std::string::npos &&
        std::count(text.begin(), text.end(), ':') >= 2)
        text = "[" + text + "]";
    return isLinkable(text) ? text : std::string();
}

bool parseRoomLink(std::string_view fragment, std::string_view pageHost, RoomLink& out) {
    if (fragment.size() > maxRoomLinkLength) return false;
    if (!fragment.empty() && fragment.front() == '#') fragment.remove_prefix(1);
    constexpr std::string_view prefix = "join=";
    if (fragment.substr(0, prefix.size()) != prefix) return false;
    fragment.remove_prefix(prefix.size());
    const std::size_t at = fragment.find('@');
    const std::string_view codeText = fragment.substr(0, at);
    // The code exactly (parseCode would forgive blanks around it; a link has none).
    if (codeText.size() != relay::codeLength) return false;
    relay::Code code{};
    if (!relay::parseCode(codeText, code)) return false;
    std::string relayText;
    if (at == std::string_view::npos) {
        relayText = linkableRelay(pageHost);
    } else {
        const std::string_view named = fragment.substr(at + 1);
        // No blanks: JOIN would split the line at one.
        if (named.find_first_of(" \t") != std::string_view::npos) return false;
        relayText = linkableRelay(named);
    }
    if (relayText.empty()) return false;
    out.relay = std::move(relayText);
    out.code = code;
    return true;
}

std::string roomLinkAddress(std::string_view pageAddress, std::string_view relay,
                            const relay::Code& code) {
    pageAddress = pageAddress.substr(0, pageAddress.find('#'));
    const std::string linked = linkableRelay(relay);
    if (pageAddress.empty() || linked.empty() || !relay::isValidCode(code)) return {};
    return std::string(pageAddress) + "#join=" + std::string(relay::codeText(code)) + "@" + linked;
}

} // namespace net
