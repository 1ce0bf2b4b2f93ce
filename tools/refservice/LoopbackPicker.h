#pragma once

#include <QString>

#include <netinet/in.h>

// Loopback addresses for a service that shares the machine with other services and their
// clients (tests, the demo, benchmarks running at once): each takes an address of its own,
// and its clients send their datagrams from the partner address beside it
// (UdpSocket::sourceAddressFor).
class LoopbackPicker {
public:
    // How many addresses are tried before the service gives up.
    static constexpr int kAttempts = 64;

    // A random even address of 127.16.0.0/12 (network byte order). Its partner is the odd one
    // above it, so no picked address is ever the address another service's clients send from.
    static in_addr candidate();

    // Whether what a service on SERVICE needs besides its own sockets is free: the clients'
    // datagram ports (35000, 35002) on SERVICE and on its partner address, and TCPPORT on
    // SERVICE unless it is 0. On false ERROR names what is taken.
    static bool portsFree(in_addr service, int tcpPort, QString& error);
};
