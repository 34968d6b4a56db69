// The online match as the program plays it: the console commands' actions, and the
// frame that runs in place of the local one while a match is on.
#pragma once

#include "net/protocol.h"

#include <cstdint>
#include <string>

// Each returns the line to print in the console.
std::string hostOnlineMatch(const std::string& portText);
std::string connectOnlineMatch(const std::string& address);
// Through a relay server: a room whose code the other player joins with.
std::string hostRelayMatch(const std::string& server);
std::string joinRelayMatch(const std::string& serverAndCode);
std::string disconnectOnlineMatch();
std::string onlineMatchStats();
std::string setOnlineInputDelay(const std::string& framesText);

// True while the frame belongs to the match (from the handshake to its end).
bool onlineMatchActive();
// Ends a match or a wait for one, telling the other player (QUIT, shutting down).
void leaveOnlineMatch(net::ByeReason reason);

// Microseconds the main loop adds to the next slice (0 out of a match).
std::uint32_t onlinePacingStretchUs();

// Runs once per frame slice: waits for a player or a host while the local game goes
// on (false: run the local frame), or runs the match's frame (true).
bool runOnlineFrame();
