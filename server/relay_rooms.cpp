#include "server/relay_rooms.h"

#include <algorithm>
#include <cstring>

namespace relay {
namespace {

std::uint64_t rotl(std::uint64_t x, int b) {
    return (x << b) | (x >> (64 - b));
}

// SipHash-2-4: a keyed hash, so nobody without the server's secret can make a cookie
// for an address he cannot receive at.
std::uint64_t sipHash(std::uint64_t k0, std::uint64_t k1, std::span<const std::uint8_t> in) {
    std::uint64_t v0 = k0 ^ 0x736f6d6570736575ull, v1 = k1 ^ 0x646f72616e646f6dull,
                  v2 = k0 ^ 0x6c7967656e657261ull, v3 = k1 ^ 0x7465646279746573ull;
    auto round = [&] {
        v0 += v1;
        v1 = rotl(v1, 13);
        v1 ^= v0;
        v0 = rotl(v0, 32);
        v2 += v3;
        v3 = rotl(v3, 16);
        v3 ^= v2;
        v0 += v3;
        v3 = rotl(v3, 21);
        v3 ^= v0;
        v2 += v1;
        v1 = rotl(v1, 17);
        v1 ^= v2;
        v2 = rotl(v2, 32);
    };
    std::size_t n = in.size();
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t m = 0;
        for (int j = 7; j >= 0; --j) m = (m << 8) | in[i + j];
        v3 ^= m;
        round();
        round();
        v0 ^= m;
    }
    std::uint64_t last = static_cast<std::uint64_t>(n & 0xff) << 56;
    for (std::size_t j = 0; i + j < n; ++j)
        last |= static_cast<std::uint64_t>(in[i + j]) << (8 * j);
    v3 ^= last;
    round();
    round();
    v0 ^= last;
    v2 ^= 0xff;
    for (int r = 0; r < 4; ++r) round();
    return v0 ^ v1 ^ v2 ^ v3;
}

constexpr std::uint64_t cookieBucketMs = 60000;

} // namespace

std::size_t EndpointHash::operator()(const Endpoint& e) const {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    for (auto b : e.ip) mix(b);
    mix(e.port);
    mix(e.connection);
    mix(static_cast<std::uint64_t>(e.transport));
    return static_cast<std::size_t>(h);
}

std::size_t Rooms::IpHash::operator()(const Ip& ip) const {
    std::uint64_t h = 1469598103934665603ull;
    for (auto b : ip) h = (h ^ b) * 1099511628211ull;
    return static_cast<std::size_t>(h);
}

std::uint64_t roomKey(const Code& code) {
    std::uint64_t key = 0;
    std::memcpy(&key, code.data(), sizeof key);
    return key;
}

Rooms::Rooms(const Limits& limits, Sink& sink, std::function<void(std::span<std::uint8_t>)> random)
    : limits_(limits), sink_(sink), random_(std::move(random)) {
    std::uint8_t bytes[sizeof secret_];
    random_(bytes);
    std::memcpy(secret_.data(), bytes, sizeof secret_);
}

CookieBytes Rooms::cookieAt(const Endpoint& endpoint, std::uint64_t bucket) const {
    std::uint8_t message[16 + 2 + 8];
    std::memcpy(message, endpoint.ip.data(), 16);
    message[16] = static_cast<std::uint8_t>(endpoint.port);
    message[17] = static_cast<std::uint8_t>(endpoint.port >> 8);
    for (int i = 0; i < 8; ++i) message[18 + i] = static_cast<std::uint8_t>(bucket >> (8 * i));
    std::uint64_t a = sipHash(secret_[0], secret_[1], message);
    std::uint64_t b = sipHash(secret_[2], secret_[3], message);
    CookieBytes out{};
    std::memcpy(out.data(), &a, 8);
    std::memcpy(out.data() + 8, &b, 8);
    return out;
}

CookieBytes Rooms::cookieFor(const Endpoint& endpoint, std::uint64_t nowMs) const {
    return cookieAt(endpoint, nowMs / cookieBucketMs);
}

bool Rooms::cookieValid(const Endpoint& from, const CookieBytes& cookie,
                        std::uint64_t nowMs) const {
    if (from.transport == Endpoint::Transport::WebSocket)
        return true; // the TCP handshake proved the address
    std::uint64_t bucket = nowMs / cookieBucketMs;
    // The current minute's cookie or the last one's: valid one to two minutes.
    return cookie == cookieAt(from, bucket) || (bucket > 0 && cookie == cookieAt(from, bucket - 1));
}

bool Rooms::allowRequest(const Ip& ip, std::uint64_t nowMs) {
    if (nowMs - requestWindowStart_ >= limits_.requestWindowMs || nowMs < requestWindowStart_) {
        requests_.clear();
        requestWindowStart_ = nowMs;
    }
    auto it = requests_.find(ip);
    if (it == requests_.end()) {
        // When the table is full, strangers wait for the next window rather than
        // the table growing.
        if (requests_.size() >= limits_.maxTrackedAddresses) return false;
        it = requests_.emplace(ip, Requests{}).first;
    }
    if (it->second.count >= limits_.requestsPerWindow) return false;
    ++it->second.count;
    return true;
}

bool Rooms::takeToken(Member& m, std::uint64_t nowMs) {
    if (nowMs > m.refilledMs) {
        m.tokens = std::min<double>(
            limits_.burst, m.tokens + (nowMs - m.refilledMs) * limits_.packetsPerSecond / 1000.0);
        m.refilledMs = nowMs;
    }
    if (m.tokens < 1) return false;
    m.tokens -= 1;
    return true;
}

void Rooms::reply(const Endpoint& to, Kind kind, const Code& code, RelayError error) {
    Control c;
    c.kind = kind;
    c.code = code;
    c.detail = static_cast<std::uint8_t>(error);
    auto bytes = writeControl(c);
    sink_.send(to, bytes);
}

Code Rooms::newCode(std::uint64_t& key) {
    // Rejection sampling keeps every character equally likely; a code in use (about
    // never) is drawn again.
    for (;;) {
        Code code{};
        std::size_t filled = 0;
        while (filled < codeLength) {
            std::uint8_t bytes[16];
            random_(bytes);
            for (std::uint8_t b : bytes) {
                if (b >= 248 || filled == codeLength) // 248 = 8 * 31
                    continue;
                code[filled++] = codeAlphabet[b % codeAlphabet.size()];
            }
        }
        key = roomKey(code);
        if (!rooms_.contains(key)) return code;
    }
}

void Rooms::receive(const Endpoint& from, std::span<const std::uint8_t> bytes,
                    std::uint64_t nowMs) {
    if (looksLikeControl(bytes)) {
        Control c;
        if (!readControl(bytes, c)) {
            ++stats_.dropped;
            return;
        }
        handleControl(from, c, nowMs);
        return;
    }
    auto it = members_.find(from);
    if (it == members_.end() || bytes.empty() || bytes.size() > maxForwardSize ||
        !takeToken(it->second, nowMs)) {
        ++stats_.dropped;
        return;
    }
    auto room = rooms_.find(it->second.roomKey);
    if (room == rooms_.end() || !room->second.full) {
        ++stats_.dropped;
        return;
    }
    room->second.lastActiveMs = nowMs;
    ++stats_.forwarded;
    sink_.send(room->second.members[1 - it->second.side], bytes);
}

void Rooms::handleControl(const Endpoint& from, const Control& c, std::uint64_t nowMs) {
    auto member = members_.find(from);
    if (member != members_.end() && !takeToken(member->second, nowMs)) {
        ++stats_.dropped;
        return;
    }
    Room* room = nullptr;
    if (member != members_.end()) {
        auto r = rooms_.find(member->second.roomKey);
        if (r != rooms_.end()) room = &r->second;
    }
    switch (c.kind) {
    case Kind::Hello: {
        if (nowMs / 1000 != cookieSecond_) {
            cookieSecond_ = nowMs / 1000;
            cookiesThisSecond_ = 0;
        }
        if (from.transport != Endpoint::Transport::Udp ||
            cookiesThisSecond_ >= limits_.cookiesPerSecond) {
            ++stats_.dropped;
            return;
        }
        ++cookiesThisSecond_;
        Control answer;
        answer.kind = Kind::Cookie;
        answer.cookie = cookieFor(from, nowMs);
        auto bytes = writeControl(answer);
        sink_.send(from, bytes);
        return;
    }
    case Kind::Create: {
        if (room) {
            // A lost answer asked again: the same room.
            if (member->second.side == 0) {
                room->lastActiveMs = nowMs;
                reply(from, Kind::Created, room->code);
            } else {
                reply(from, Kind::Error, room->code, RelayError::InRoom);
            }
            return;
        }
        if (!cookieValid(from, c.cookie, nowMs)) {
            // Not proven: answered only with one packet of its own size.
            reply(from, Kind::Error, Code{}, RelayError::BadCookie);
            return;
        }
        if (!allowRequest(from.ip, nowMs)) {
            ++stats_.dropped;
            return;
        }
        if (rooms_.size() >= limits_.maxRooms) {
            reply(from, Kind::Error, Code{}, RelayError::ServerFull);
            return;
        }
        auto& count = roomsPerIp_[from.ip];
        if (count >= limits_.maxRoomsPerAddress) {
            reply(from, Kind::Error, Code{}, RelayError::TooManyRooms);
            return;
        }
        ++count;
        std::uint64_t key = 0;
        Room fresh;
        fresh.code = newCode(key);
        fresh.members[0] = from;
        fresh.lastActiveMs = nowMs;
        rooms_.emplace(key, fresh);
        members_[from] = Member{key, 0, double(limits_.burst), nowMs};
        ++stats_.roomsCreated;
        reply(from, Kind::Created, fresh.code);
        return;
    }
    case Kind::Join: {
        if (room) {
            if (member->second.side == 1 && room->code == c.code) {
                room->lastActiveMs = nowMs;
                reply(from, Kind::Joined, room->code);
            } else {
                reply(from, Kind::Error, c.code, RelayError::InRoom);
            }
            return;
        }
        if (!cookieValid(from, c.cookie, nowMs)) {
            reply(from, Kind::Error, Code{}, RelayError::BadCookie);
            return;
        }
        if (!allowRequest(from.ip, nowMs)) {
            ++stats_.dropped;
            return;
        }
        auto target = isValidCode(c.code) ? rooms_.find(roomKey(c.code)) : rooms_.end();
        if (target == rooms_.end()) {
            reply(from, Kind::Error, c.code, RelayError::NoSuchRoom);
            return;
        }
        Room& r = target->second;
        if (r.full) {
            reply(from, Kind::Error, c.code, RelayError::RoomFull);
            return;
        }
        r.full = true;
        r.members[1] = from;
        r.lastActiveMs = nowMs;
        members_[from] = Member{target->first, 1, double(limits_.burst), nowMs};
        reply(from, Kind::Joined, r.code);
        reply(r.members[0], Kind::PeerJoined, r.code);
        return;
    }
    case Kind::Leave:
        if (room) closeRoom(member->second.roomKey, &from);
        return;
    case Kind::KeepAlive:
        if (room)
            room->lastActiveMs = nowMs;
        else
            ++stats_.dropped;
        return;
    default:
        // Kinds the server sends are never taken from a client.
        ++stats_.dropped;
        return;
    }
}

void Rooms::closeRoom(std::uint64_t key, const Endpoint* leaver) {
    auto it = rooms_.find(key);
    if (it == rooms_.end()) return;
    Room room = it->second;
    rooms_.erase(it);
    auto ipCount = roomsPerIp_.find(room.members[0].ip);
    if (ipCount != roomsPerIp_.end() && --ipCount->second == 0) roomsPerIp_.erase(ipCount);
    int members = room.full ? 2 : 1;
    for (int side = 0; side < members; ++side) {
        members_.erase(room.members[side]);
        if (!leaver || !(room.members[side] == *leaver))
            reply(room.members[side], Kind::PeerLeft, room.code);
    }
}

void Rooms::closed(const Endpoint& endpoint, std::uint64_t) {
    auto member = members_.find(endpoint);
    if (member != members_.end()) closeRoom(member->second.roomKey, &endpoint);
}

void Rooms::expire(std::uint64_t nowMs) {
    for (auto it = rooms_.begin(); it != rooms_.end();) {
        auto next = std::next(it);
        if (nowMs - it->second.lastActiveMs >= limits_.idleRoomMs &&
            nowMs >= it->second.lastActiveMs) {
            ++stats_.roomsExpired;
            closeRoom(it->first, nullptr);
        }
        it = next;
    }
}

} // namespace relay
