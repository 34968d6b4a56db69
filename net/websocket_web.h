// A WebSocket to the relay beneath the datagram interface, for the web page. The
// socket opens in the background: sends fail until it is open (the relay link sends
// again), and every datagram comes from relayServerAddress().
#pragma once

#include "net/datagram.h"
#include "net/room_link.h"

#include <string>

bool openWebSocketDatagram(DatagramSocket& out, const std::string& url, std::string& error);
NetAddress relayServerAddress();

// The room link the page was opened with, or was given since in its address
// (net/room_link.h), once: false when none waits or the fragment is no room link.
bool takePageRoomLink(net::RoomLink& out);
// The link to this page that opens it into the room `code` on `relay` (as the host
// typed it), shown on the page over the picture; "" when the relay cannot be
// written in a link.
std::string showPageRoomLink(const std::string& relay, const relay::Code& code);
// Takes the link off the page (the match began, or the room was left).
void hidePageRoomLink();
