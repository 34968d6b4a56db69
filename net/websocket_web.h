// A WebSocket to the relay beneath the datagram interface, for the web page. The
// socket opens in the background: sends fail until it is open (the relay link sends
// again), and every datagram comes from relayServerAddress().
#pragma once

#include "net/datagram.h"

#include <string>

bool openWebSocketDatagram(DatagramSocket& out, const std::string& url, std::string& error);
NetAddress relayServerAddress();
