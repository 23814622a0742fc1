/*
 * The network layer: one UDP socket that the user opens from the console
 * with n_open, n_send to send a line of text as one datagram, and a frame
 * step that reports the datagrams that arrive, one per frame.
 *
 * There is no protocol: n_send's datagram is the text and one zero byte, and
 * a received datagram may hold anything.
 */
#pragma once

#include <memory>

#include "net/socket.h"

// The socket made by the last n_open, owned by this layer; null before the
// first. It stays installed when its opening failed, and only the process
// exit releases it.
extern std::unique_ptr<Socket> net_socket;

// Nothing to set up; true.
bool net_init();
// Reports at most one waiting datagram on the console: its sender, its size,
// and its text up to the first zero byte with control characters escaped.
void net_frame();
// Leaves the socket to the process exit; true.
bool net_shutdown();
