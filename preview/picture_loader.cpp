#include "preview/picture_loader.h"

#include <objbase.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <utility>

#include "preview/picture_decode.h"
#include "win32/window_kit.h"
#include "output/win32_text.h"
#include "tessivar_version.h"

namespace tessivar {

using pictures::Failure;
using pictures::Refusal;

Picture::~Picture() {
    if (held) held->release(pixels.size());
}

std::unique_ptr<PictureResult> take_picture_result(LPARAM lparam) {
    return std::unique_ptr<PictureResult>(reinterpret_cast<PictureResult*>(lparam));
}

void discard_posted_pictures(HWND window, UINT message) {
    MSG posted;
    while (PeekMessageW(&posted, window, message, message, PM_REMOVE)) take_picture_result(posted.lParam);
}

namespace {

// WinHTTP, found by name the first time a picture is asked for.
struct WinHttp {
    decltype(&WinHttpOpen) open = nullptr;
    decltype(&WinHttpGetIEProxyConfigForCurrentUser) user_proxy = nullptr;
    decltype(&WinHttpSetStatusCallback) set_callback = nullptr;
    decltype(&WinHttpSetTimeouts) set_timeouts = nullptr;
    decltype(&WinHttpSetOption) set_option = nullptr;
    decltype(&WinHttpConnect) connect = nullptr;
    decltype(&WinHttpOpenRequest) open_request = nullptr;
    decltype(&WinHttpSendRequest) send_request = nullptr;
    decltype(&WinHttpReceiveResponse) receive_response = nullptr;
    decltype(&WinHttpQueryHeaders) query_headers = nullptr;
    decltype(&WinHttpReadData) read_data = nullptr;
    decltype(&WinHttpCloseHandle) close = nullptr;
};

const WinHttp* winhttp() {
    static const std::optional<WinHttp> found = []() -> std::optional<WinHttp> {
        HMODULE dll = system_library(L"winhttp.dll");
        if (!dll) return std::nullopt;
        WinHttp api;
        api.open = system_function<decltype(WinHttpOpen)>(dll, "WinHttpOpen");
        api.user_proxy = system_function<decltype(WinHttpGetIEProxyConfigForCurrentUser)>(
            dll, "WinHttpGetIEProxyConfigForCurrentUser");
        api.set_callback = system_function<decltype(WinHttpSetStatusCallback)>(dll, "WinHttpSetStatusCallback");
        api.set_timeouts = system_function<decltype(WinHttpSetTimeouts)>(dll, "WinHttpSetTimeouts");
        api.set_option = system_function<decltype(WinHttpSetOption)>(dll, "WinHttpSetOption");
        api.connect = system_function<decltype(WinHttpConnect)>(dll, "WinHttpConnect");
        api.open_request = system_function<decltype(WinHttpOpenRequest)>(dll, "WinHttpOpenRequest");
        api.send_request = system_function<decltype(WinHttpSendRequest)>(dll, "WinHttpSendRequest");
        api.receive_response = system_function<decltype(WinHttpReceiveResponse)>(dll, "WinHttpReceiveResponse");
        api.query_headers = system_function<decltype(WinHttpQueryHeaders)>(dll, "WinHttpQueryHeaders");
        api.read_data = system_function<decltype(WinHttpReadData)>(dll, "WinHttpReadData");
        api.close = system_function<decltype(WinHttpCloseHandle)>(dll, "WinHttpCloseHandle");
        const bool complete = api.open && api.user_proxy && api.set_callback && api.set_timeouts && api.set_option &&
                              api.connect && api.open_request && api.send_request && api.receive_response &&
                              api.query_headers && api.read_data && api.close;
        return complete ? std::optional<WinHttp>(api) : std::nullopt;
    }();
    return found ? &*found : nullptr;
}

// A browser's usual number of connections to a host: a slow server holds
// up no more than these.
constexpr std::size_t kParallel = 6;
constexpr DWORD kReadChunk = 64 * 1024;

// What one request brought back.
struct Response {
    std::uint64_t transfer = 0;
    DWORD error = 0;  // WinHTTP's, or 0
    bool too_many_bytes = false;
    DWORD status = 0;
    std::string content_type, location;
    std::vector<std::uint8_t> body;
};

}  // namespace

struct PictureLoader::Shared {
    struct Order {
        std::string address;
        std::uint32_t max_width;
    };

    HWND window;
    UINT message;
    COLORREF background;
    std::shared_ptr<pictures::HeldBytes> held = std::make_shared<pictures::HeldBytes>();
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<bool> quit{false};

    std::mutex lock;  // guards what follows
    std::vector<Order> orders;
    std::optional<std::vector<std::string>> keep;
    std::vector<Response> responses;

    Shared(HWND w, UINT m, COLORREF b) : window(w), message(m), background(b) {}
    ~Shared() { CloseHandle(wake); }

    void post(std::string address, std::shared_ptr<const Picture> picture, std::optional<Refusal> refusal) const {
        auto result = std::make_unique<PictureResult>(
            PictureResult{std::move(address), std::move(picture), std::move(refusal)});
        if (PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(result.get()))) result.release();
    }
};

namespace {

using Shared = PictureLoader::Shared;

// One GET. It lives until WinHTTP says its handle is closing, so that a
// callback still under way never meets freed memory; the worker cancels it
// by closing its handles and never waits for it.
class Transfer : public std::enable_shared_from_this<Transfer> {
public:
    static std::shared_ptr<Transfer> start(const WinHttp& api, HINTERNET session, const pictures::AddressParts& at,
                                           std::shared_ptr<Shared> shared, std::uint64_t id) {
        std::shared_ptr<Transfer> transfer(new Transfer(api, std::move(shared), id));
        std::lock_guard guard(transfer->lock_);
        transfer->open(session, at);
        return transfer;
    }

    // Nothing is reported once closed.
    void close() {
        std::lock_guard guard(lock_);
        close_handles();
    }

    static void CALLBACK on_status(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD length) {
        auto* transfer = reinterpret_cast<Transfer*>(context);
        if (!transfer) return;
        if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
            const auto last = std::move(transfer->self_);
            return;
        }
        const std::shared_ptr<Transfer> alive = transfer->self_;
        std::lock_guard guard(transfer->lock_);
        if (transfer->closed_) return;
        switch (status) {
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
            if (!transfer->api_.receive_response(transfer->request_, nullptr)) transfer->finish(GetLastError());
            break;
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE: transfer->on_headers(); break;
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE: transfer->on_read(length); break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            transfer->finish(static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError);
            break;
        default: break;
        }
    }

private:
    Transfer(const WinHttp& api, std::shared_ptr<Shared> shared, std::uint64_t id)
        : api_(api), shared_(std::move(shared)) {
        response_.transfer = id;
    }

    void open(HINTERNET session, const pictures::AddressParts& at) {
        connect_ = api_.connect(session, widen(at.host).c_str(), at.port, 0);
        if (connect_) {
            request_ = api_.open_request(connect_, L"GET", widen(at.target).c_str(), nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, at.secure ? WINHTTP_FLAG_SECURE : 0);
        }
        // Redirects are followed here, where their number and schemes are
        // checked; no cookie is kept and no credential is ever offered.
        DWORD disabled = WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_AUTHENTICATION;
        Transfer* context = this;
        if (!request_ || !api_.set_option(request_, WINHTTP_OPTION_DISABLE_FEATURE, &disabled, sizeof disabled) ||
            !api_.set_option(request_, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context)) {
            return finish(GetLastError());
        }
        self_ = shared_from_this();
        if (!api_.send_request(request_, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
            finish(GetLastError());
        }
    }

    std::string header(DWORD query) const {
        DWORD bytes = 0;
        api_.query_headers(request_, query, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes, WINHTTP_NO_HEADER_INDEX);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
        std::wstring value(bytes / sizeof(wchar_t), L'\0');
        if (!api_.query_headers(request_, query, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &bytes,
                                WINHTTP_NO_HEADER_INDEX)) {
            return {};
        }
        value.resize(bytes / sizeof(wchar_t));
        return narrow(value);
    }

    void on_headers() {
        DWORD status = 0, bytes = sizeof status;
        api_.query_headers(request_, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &bytes, WINHTTP_NO_HEADER_INDEX);
        response_.status = status;
        response_.content_type = header(WINHTTP_QUERY_CONTENT_TYPE);
        response_.location = header(WINHTTP_QUERY_LOCATION);
        // A redirect or a refusal is judged by its headers alone.
        if (status < 200 || status > 299) return finish(0);
        if (pictures::announces_too_many_bytes(header(WINHTTP_QUERY_CONTENT_LENGTH))) {
            response_.too_many_bytes = true;
            return finish(0);
        }
        read_next();
    }

    // Reads into the body's end; one byte past the limit tells it is passed.
    void read_next() {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(kReadChunk, pictures::kMaxDownloadBytes + 1 - received_));
        if (response_.body.size() < received_ + chunk) response_.body.resize(received_ + chunk);
        if (!api_.read_data(request_, response_.body.data() + received_, chunk, nullptr)) finish(GetLastError());
    }

    void on_read(DWORD length) {
        if (length == 0) return finish(0);
        received_ += length;
        if (received_ > pictures::kMaxDownloadBytes) {
            response_.too_many_bytes = true;
            return finish(0);
        }
        read_next();
    }

    void finish(DWORD error) {
        if (closed_) return;
        response_.error = error;
        response_.body.resize(received_);
        {
            std::lock_guard guard(shared_->lock);
            shared_->responses.push_back(std::move(response_));
        }
        SetEvent(shared_->wake);
        close_handles();
    }

    void close_handles() {
        if (closed_) return;
        closed_ = true;
        if (request_) api_.close(request_);
        if (connect_) api_.close(connect_);
    }

    const WinHttp& api_;
    std::shared_ptr<Shared> shared_;
    std::recursive_mutex lock_;  // WinHTTP may call back inside a call made under it
    bool closed_ = false;
    HINTERNET connect_ = nullptr, request_ = nullptr;
    std::shared_ptr<Transfer> self_;  // WinHTTP's hold, until its handle closes
    Response response_;
    std::size_t received_ = 0;
};


// Opens the session: the system's proxy (Windows 8.1 and later), else the
// user's own proxy settings, else WinHTTP's; WinHTTP's callbacks; the time
// limit as each step's own, a floor under the worker's count of it.
HINTERNET open_session(const WinHttp& api) {
    const std::wstring agent = L"Tessivar/" + widen(TESSIVAR_VERSION_TEXT);
    HINTERNET session = api.open(agent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                 WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    if (!session) {
        WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
        if (api.user_proxy(&user) && user.lpszProxy) {
            session = api.open(agent.c_str(), WINHTTP_ACCESS_TYPE_NAMED_PROXY, user.lpszProxy,
                               user.lpszProxyBypass ? user.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
        }
        for (wchar_t* text : {user.lpszAutoConfigUrl, user.lpszProxy, user.lpszProxyBypass}) {
            if (text) GlobalFree(text);
        }
    }
    if (!session) {
        session = api.open(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                           WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
    }
    if (!session) return nullptr;
    constexpr int limit = static_cast<int>(pictures::kTimeLimitMs);
    api.set_timeouts(session, limit, limit, limit, limit);
    DWORD never_logon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
    api.set_option(session, WINHTTP_OPTION_AUTOLOGON_POLICY, &never_logon, sizeof never_logon);
    api.set_callback(session, Transfer::on_status,
                     WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES, 0);
    return session;
}

// The worker thread's side: the loads asked for, at most kParallel under way.
class Worker {
public:
    explicit Worker(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

    ~Worker() {
        for (Load& load : loads_) {
            if (load.transfer) load.transfer->close();
        }
        if (session_) winhttp()->close(session_);
    }

    void run() {
        while (!shared_->quit) {
            WaitForSingleObject(shared_->wake, wait_ms());
            std::vector<Shared::Order> orders;
            std::optional<std::vector<std::string>> keep;
            std::vector<Response> responses;
            {
                std::lock_guard guard(shared_->lock);
                orders.swap(shared_->orders);
                keep.swap(shared_->keep);
                responses.swap(shared_->responses);
            }
            if (keep) keep_only(*keep);
            for (auto& order : orders) add(std::move(order));
            for (auto& response : responses) {
                if (shared_->quit) return;
                take(std::move(response));
            }
            expire();
            start_queued();
        }
    }

private:
    struct Load {
        std::string address;
        std::uint32_t max_width = 0;
        pictures::AddressParts at;
        int redirects = 0;
        DWORD started = 0;
        std::uint64_t transfer_id = 0;
        std::shared_ptr<Transfer> transfer;  // none while queued
    };

    DWORD wait_ms() const {
        DWORD wait = INFINITE;
        const DWORD now = GetTickCount();
        for (const Load& load : loads_) {
            if (!load.transfer) continue;
            const DWORD spent = now - load.started;
            wait = std::min<DWORD>(wait, spent >= pictures::kTimeLimitMs ? 0 : pictures::kTimeLimitMs - spent);
        }
        return wait;
    }

    void keep_only(const std::vector<std::string>& keep) {
        std::erase_if(loads_, [&](Load& load) {
            if (std::find(keep.begin(), keep.end(), load.address) != keep.end()) return false;
            if (load.transfer) load.transfer->close();
            return true;
        });
    }

    void add(Shared::Order order) {
        const bool loading = std::any_of(loads_.begin(), loads_.end(),
                                         [&](const Load& load) { return load.address == order.address; });
        if (loading) return;
        Load load;
        load.at = *pictures::split_address(order.address);  // checked before it was ordered
        load.address = std::move(order.address);
        load.max_width = order.max_width;
        loads_.push_back(std::move(load));
    }

    void start_queued() {
        std::size_t running = 0;
        for (Load& load : loads_) {
            if (load.transfer) {
                ++running;
            } else if (running < kParallel) {
                load.started = GetTickCount();
                if (!start(load)) return;
                ++running;
            }
        }
    }

    bool start(Load& load) {
        if (!session_ && winhttp()) session_ = open_session(*winhttp());
        if (!session_) {
            const Refusal refusal{Failure::NetworkError, "нет WinHTTP"};  // for every load: none can start
            for (const Load& each : loads_) shared_->post(each.address, nullptr, refusal);
            loads_.clear();
            return false;
        }
        load.transfer_id = ++last_transfer_;
        load.transfer = Transfer::start(*winhttp(), session_, load.at, shared_, load.transfer_id);
        return true;
    }

    void expire() {
        const DWORD now = GetTickCount();
        std::erase_if(loads_, [&](Load& load) {
            if (!load.transfer || now - load.started < pictures::kTimeLimitMs) return false;
            load.transfer->close();
            shared_->post(load.address, nullptr, Refusal{Failure::NoAnswer, {}});
            return true;
        });
    }

    void take(Response response) {
        const auto load = std::find_if(loads_.begin(), loads_.end(),
                                       [&](const Load& l) { return l.transfer_id == response.transfer; });
        if (load == loads_.end()) return;  // cancelled meanwhile
        if (is_redirect(response) && follow(*load, response.location)) return;
        std::shared_ptr<const Picture> picture;
        std::optional<Refusal> refusal = judge(*load, response);
        if (!refusal) {
            auto decoded = decode_picture(response.body, load->max_width, shared_->background, shared_->held);
            if (auto* made = std::get_if<std::unique_ptr<Picture>>(&decoded)) {
                picture = std::move(*made);
            } else {
                refusal = std::get<Refusal>(decoded);
            }
        }
        shared_->post(load->address, std::move(picture), std::move(refusal));
        loads_.erase(load);
    }

    static bool is_redirect(const Response& response) {
        const DWORD s = response.status;
        return !response.error && !response.location.empty() && (s == 301 || s == 302 || s == 303 || s == 307 || s == 308);
    }

    // Sends the load on to where a redirect points, or says it stops here.
    // Sent on, it is done with here even where it cannot start: that
    // refuses every load, this one among them, and `load` is gone.
    bool follow(Load& load, const std::string& location) {
        const auto next = pictures::follow_location(load.at, location);
        if (!next || load.redirects == pictures::kMaxRedirects) return false;
        ++load.redirects;
        load.at = *next;
        static_cast<void>(start(load));
        return true;
    }

    static std::optional<Refusal> judge(const Load& load, const Response& response) {
        if (response.error == ERROR_WINHTTP_TIMEOUT) return Refusal{Failure::NoAnswer, {}};
        if (response.error) return Refusal{Failure::NetworkError, "ошибка " + std::to_string(response.error)};
        if (response.too_many_bytes) return Refusal{Failure::TooManyBytes, {}};
        if (is_redirect(response)) {
            if (load.redirects == pictures::kMaxRedirects) return Refusal{Failure::TooManyRedirects, {}};
            return Refusal{Failure::RefusedAddress, {}};
        }
        return pictures::judge_response(static_cast<int>(response.status), response.content_type, response.body);
    }

    std::shared_ptr<Shared> shared_;
    HINTERNET session_ = nullptr;
    std::deque<Load> loads_;
    std::uint64_t last_transfer_ = 0;
};

// The imaging component wants COM on the thread that decodes.
class ComOnThisThread {
public:
    ComOnThisThread() {
        if (HMODULE ole32 = system_library(L"ole32.dll")) {
            const auto initialize = system_function<decltype(CoInitializeEx)>(ole32, "CoInitializeEx");
            uninitialize_ = system_function<decltype(CoUninitialize)>(ole32, "CoUninitialize");
            if (!initialize || FAILED(initialize(nullptr, COINIT_MULTITHREADED))) uninitialize_ = nullptr;
        }
    }
    ~ComOnThisThread() {
        if (uninitialize_) uninitialize_();
    }
    ComOnThisThread(const ComOnThisThread&) = delete;
    ComOnThisThread& operator=(const ComOnThisThread&) = delete;

private:
    decltype(&CoUninitialize) uninitialize_ = nullptr;
};

DWORD WINAPI work(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(parameter));
    const ComOnThisThread com;
    Worker(*shared).run();
    return 0;
}

}  // namespace

PictureLoader::PictureLoader(HWND window, UINT message, COLORREF background)
    : shared_(std::make_shared<Shared>(window, message, background)) {
    auto* handed = new std::shared_ptr<Shared>(shared_);
    worker_ = CreateThread(nullptr, 0, work, handed, 0, nullptr);
    if (!worker_) delete handed;
}

PictureLoader::~PictureLoader() {
    shared_->quit = true;
    SetEvent(shared_->wake);
    if (worker_) {
        WaitForSingleObject(worker_, 500);
        CloseHandle(worker_);
    }
}

void PictureLoader::load(const std::string& address, std::uint32_t max_width) {
    if (!pictures::split_address(address)) {
        shared_->post(address, nullptr, Refusal{Failure::RefusedAddress, {}});
        return;
    }
    {
        std::lock_guard guard(shared_->lock);
        shared_->orders.push_back({address, max_width});
    }
    SetEvent(shared_->wake);
}

void PictureLoader::keep_only(std::span<const std::string> addresses) {
    {
        std::lock_guard guard(shared_->lock);
        std::erase_if(shared_->orders, [&](const Shared::Order& order) {
            return std::find(addresses.begin(), addresses.end(), order.address) == addresses.end();
        });
        shared_->keep.emplace(addresses.begin(), addresses.end());
    }
    SetEvent(shared_->wake);
}

}  // namespace tessivar
