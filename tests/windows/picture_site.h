#pragma once
// The pictures' web site of the tests: a loopback server with a picture in
// each format of its own colour, and each way a server can fail a picture.
#include "loopback_server.h"
#include "test_pictures.h"

#include <string>

#include "com_apartment.h"

namespace tessivar::testing {

inline constexpr Colour kRed{0xE0, 0x10, 0x10}, kGreen{0x10, 0xD0, 0x10}, kBlue{0x10, 0x10, 0xE0};

// What the server serves.
struct Site {
    std::string red_png, green_jpeg, blue_gif, wide_png, clear_png;
};

inline Site make_site() {
    ComApartment com;
    return {encoded_picture(GUID_ContainerFormatPng, 160, 80, kRed),
            encoded_picture(GUID_ContainerFormatJpeg, 160, 80, kGreen),
            encoded_picture(GUID_ContainerFormatGif, 160, 80, kBlue),
            encoded_picture(GUID_ContainerFormatPng, 800, 200, kRed),
            encoded_picture(GUID_ContainerFormatPng, 8, 8, {0xFF, 0xFF, 0xFF, 0})};
}

inline void serve(const Site& site, LoopbackServer& server, SOCKET client, const std::string& path) {
    const std::string cookie = "Set-Cookie: visitor=seen; Path=/\r\n";
    if (path == "/red.png") return LoopbackServer::answer(client, "200 OK", "image/png", site.red_png, cookie);
    if (path == "/green.jpg") return LoopbackServer::answer(client, "200 OK", "image/jpeg", site.green_jpeg, cookie);
    if (path == "/blue.gif") return LoopbackServer::answer(client, "200 OK", "image/gif", site.blue_gif, cookie);
    if (path == "/wide.png") return LoopbackServer::answer(client, "200 OK", "image/png", site.wide_png);
    if (path == "/clear.png") return LoopbackServer::answer(client, "200 OK", "image/png", site.clear_png);
    if (path == "/page.html") {
        return LoopbackServer::answer(client, "200 OK", "text/html; charset=utf-8", "<!DOCTYPE html><p>a gallery</p>");
    }
    if (path == "/picture.webp") return LoopbackServer::answer(client, "200 OK", "image/webp", tiny_webp());
    if (path == "/huge.png") return LoopbackServer::answer(client, "200 OK", "image/png", announced_png(20'000));
    if (path == "/loop") return LoopbackServer::answer(client, "302 Found", "text/plain", "", "Location: /loop\r\n");
    if (path.starts_with("/hop/")) {  // /hop/N: N redirects before the picture
        const int left = std::stoi(path.substr(5));
        const std::string next = left <= 1 ? "/red.png" : "/hop/" + std::to_string(left - 1);
        return LoopbackServer::answer(client, "301 Moved", "text/plain", "", "Location: " + next + "\r\n" + cookie);
    }
    if (path == "/to-file") {
        return LoopbackServer::answer(client, "302 Found", "text/plain", "", "Location: file:///C:/windows/win.ini\r\n");
    }
    if (path == "/endless") {
        LoopbackServer::send_all(client, "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\n\r\n");
        const std::string chunk(64 * 1024, 'x');
        while (!server.stopping() && LoopbackServer::send_all(client, chunk)) {
        }
        return;
    }
    if (path.starts_with("/silent")) return server.wait_for_stop();
    LoopbackServer::answer(client, "404 Not Found", "text/html", "<p>no such picture</p>");
}

// The site, served for as long as the object lives.
class PictureSite {
public:
    std::string address(const std::string& path) const { return server_.address(path); }
    std::vector<std::string> requests() { return server_.requests(); }

private:
    const Site site_ = make_site();
    LoopbackServer server_{[this](LoopbackServer& server, SOCKET client, const std::string& path) {
        serve(site_, server, client, path);
    }};
};

}  // namespace tessivar::testing
