#pragma once
// An HTTP server on 127.0.0.1 inside the test's own process, on a port the
// system picks. Each connection gets one answer from the route table; every
// request's head is kept for the test to read. It stops with the object:
// the listening socket and every connection are closed, every thread joined.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessivar::testing {

class LoopbackServer {
public:
    // Writes the whole answer to a request for `path`; returns while the
    // server runs, or once it stops for answers that never end.
    using Route = std::function<void(LoopbackServer& server, SOCKET client, const std::string& path)>;

    // On `port` where it is free, else where the system puts it.
    explicit LoopbackServer(Route route, unsigned short port = 0) : route_(std::move(route)) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            address.sin_port = 0;
            bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
        listen(listener_, SOMAXCONN);
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        acceptor_ = std::thread([this] { accept_all(); });
    }

    ~LoopbackServer() {
        {
            std::lock_guard guard(lock_);
            stopping_ = true;
            for (SOCKET client : clients_) shutdown(client, SD_BOTH);
        }
        SetEvent(stop_);
        closesocket(listener_);
        acceptor_.join();
        for (std::thread& connection : connections_) connection.join();
        for (SOCKET client : clients_) closesocket(client);
        CloseHandle(stop_);
        WSACleanup();
    }

    std::string address(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    // Every request head received so far, in order of arrival.
    std::vector<std::string> requests() {
        std::lock_guard guard(lock_);
        return requests_;
    }

    // Waits until the server stops: an answer that never comes.
    void wait_for_stop() { WaitForSingleObject(stop_, INFINITE); }

    bool stopping() {
        std::lock_guard guard(lock_);
        return stopping_;
    }

    static bool send_all(SOCKET client, const std::string& bytes) {
        for (std::size_t sent = 0; sent < bytes.size();) {
            const int now = send(client, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (now <= 0) return false;
            sent += static_cast<std::size_t>(now);
        }
        return true;
    }

    // A complete answer with its length; `extra` holds whole header lines.
    static void answer(SOCKET client, const std::string& status, const std::string& type, const std::string& body,
                       const std::string& extra = {}) {
        send_all(client, "HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n" + extra + "\r\n" + body);
    }

private:
    void accept_all() {
        for (;;) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            std::lock_guard guard(lock_);
            if (stopping_) {
                closesocket(client);
                return;
            }
            clients_.push_back(client);
            connections_.emplace_back([this, client] { serve(client); });
        }
    }

    void serve(SOCKET client) {
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            const int got = recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) return;
            head.append(buffer, static_cast<std::size_t>(got));
        }
        {
            std::lock_guard guard(lock_);
            requests_.push_back(head);
        }
        const auto path_start = head.find(' ') + 1;
        route_(*this, client, head.substr(path_start, head.find(' ', path_start) - path_start));
        shutdown(client, SD_SEND);
    }

    Route route_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    HANDLE stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread acceptor_;
    std::mutex lock_;  // guards what follows
    bool stopping_ = false;
    std::vector<SOCKET> clients_;
    std::vector<std::thread> connections_;
    std::vector<std::string> requests_;
};

}  // namespace tessivar::testing
