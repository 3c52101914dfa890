#include "QelHttpTransfer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <mutex>

namespace {
constexpr std::array<const char*, 4> kVerbs = {"GET", "POST", "PUT", "DELETE"};
constexpr long kErrorPathNotFound = 3;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorInvalidData = 13;
// Longest wait for the socket between looks at the cancel flag and the
// low-speed window; Cancel wakes the wait at once.
constexpr long kPollLimitMs = 1000;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The verb in upper case when it is one of the four, else empty.
std::string CanonicalVerb(const QelString& verb) {
    std::string upper = verb.ToStdString();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* known : kVerbs) {
        if (upper == known) return upper;
    }
    return {};
}

bool HasHeader(const std::string& lines, std::string_view name) {
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t end = lines.find('\n', start);
        if (end == std::string::npos) end = lines.size();
        const std::string_view line(lines.data() + start, end - start);
        if (line.size() > name.size() && line[name.size()] == ':' &&
            std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return true;
        start = end + 1;
    }
    return false;
}

// Appends every non-empty line of text (CR and LF both end a line) to list,
// so no value can smuggle a line of its own into the request.
curl_slist* AppendLines(curl_slist* list, const std::string& text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        if (end > start) list = curl_slist_append(list, text.substr(start, end - start).c_str());
        start = end + 1;
    }
    return list;
}
}  // namespace

QelHttpTransfer::QelHttpTransfer() {
    InitCurlOnce();
    m_multi = curl_multi_init();
}

QelHttpTransfer::~QelHttpTransfer() {
    if (m_curl) curl_easy_cleanup(m_curl);
    if (m_multi) curl_multi_cleanup(m_multi);
    curl_slist_free_all(m_headerList);
}

void QelHttpTransfer::Cancel() {
    m_cancelled = true;
    if (m_multi) curl_multi_wakeup(m_multi);
}

void QelHttpTransfer::SetUrl(const QelString& url) {
    m_url = url;
    m_requestBody.clear();
}

int QelHttpTransfer::Send(const QelString& verb, const QelString& headers, const void* body, std::size_t length) {
    if (m_url.IsEmpty()) {
        m_lastError = kErrorPathNotFound;
        return qel::http::kUrlEmpty;
    }
    const std::string method = CanonicalVerb(verb);
    if (method.empty()) {
        m_lastError = kErrorInvalidParameter;
        return qel::http::kBadParameter;
    }
    if (!m_multi || (!m_curl && !(m_curl = curl_easy_init()))) return qel::http::kOpenFailed;
    if (!PrepareUrl()) {
        m_requestBody.clear();
        return qel::http::kOpenFailed;
    }
    m_sendBody.assign(static_cast<const char*>(body), body ? length : 0);
    m_sendBody.append(m_requestBody.begin(), m_requestBody.end());
    m_requestBody.clear();

    std::string headerLines = m_extraHeaders.ToStdString();
    headerLines += '\n';
    headerLines += headers.ToStdString();
    m_method = method;
    Configure(headerLines);

    bool reached = false;
    for (int attempt = 1; attempt <= kAttempts && !m_cancelled; ++attempt) {
        const Attempt outcome = RunAttempt();
        std::string().swap(m_raw);  // a body of up to the cap is not kept past its attempt
        if (outcome == Attempt::kDone) return qel::http::kDone;
        if (outcome == Attempt::kTooLarge) return qel::http::kTooLarge;
        if (outcome == Attempt::kWriteFailed) return qel::http::kWriteFailed;
        reached = reached || outcome != Attempt::kUnreached;
        if (attempt == 1 && outcome == Attempt::kUnreached) UseUserProxy();
    }
    return reached || m_cancelled ? qel::http::kNoResponse : qel::http::kOpenFailed;
}

// Splits the URL as curl will use it; only http and https are taken.
bool QelHttpTransfer::PrepareUrl() {
    m_urlBytes = m_url.ToStdString();
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    if (!url) return false;
    const CURLUcode rc = curl_url_set(url.get(), CURLUPART_URL, m_urlBytes.c_str(), 0);
    if (rc != CURLUE_OK) {
        m_lastError = rc;
        return false;
    }
    char* scheme = nullptr;
    char* host = nullptr;
    bool ok = curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
              curl_url_get(url.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK;
    if (ok) {
        const std::string_view s(scheme);
        ok = s == "http" || s == "https";
        m_secure = s == "https";
        m_host = QelString::FromUtf8(host);
    }
    curl_free(scheme);
    curl_free(host);
    if (!ok) m_lastError = CURLE_UNSUPPORTED_PROTOCOL;
    return ok;
}

void QelHttpTransfer::Configure(const std::string& headerLines) {
    const std::string& method = m_method;
    curl_easy_reset(m_curl);  // keeps the open connections
    curl_easy_setopt(m_curl, CURLOPT_URL, m_urlBytes.c_str());
    curl_easy_setopt(m_curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(m_curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(m_curl, CURLOPT_MAXREDIRS, 10L);
    // A redirect never leaves https for plain http.
    curl_easy_setopt(m_curl, CURLOPT_REDIR_PROTOCOLS_STR, m_secure ? "https" : "http,https");
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT_MS, m_options.connectTimeoutMs);
    curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS, m_options.attemptLimitMs);
    if (!m_options.caFile.empty()) curl_easy_setopt(m_curl, CURLOPT_CAINFO, m_options.caFile.c_str());

    const bool withBody = method == "POST" || method == "PUT" || !m_sendBody.empty();
    if (method == "POST") {
        curl_easy_setopt(m_curl, CURLOPT_POST, 1L);
    } else if (method != "GET" || withBody) {
        curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    if (withBody) {
        curl_easy_setopt(m_curl, CURLOPT_POSTFIELDS, m_sendBody.data());
        curl_easy_setopt(m_curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_sendBody.size()));
    }

    curl_slist_free_all(m_headerList);
    m_headerList = AppendLines(nullptr, headerLines);
    // curl would add both on its own; the request carries only what the caller set.
    m_headerList = curl_slist_append(m_headerList, "Expect:");
    if (withBody && !HasHeader(headerLines, "Content-Type")) m_headerList = curl_slist_append(m_headerList, "Content-Type:");
    curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, m_headerList);

    curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, &QelHttpTransfer::OnHeader);
    curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, &QelHttpTransfer::OnBody);
    curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, &QelHttpTransfer::OnProgress);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
}

QelHttpTransfer::Attempt QelHttpTransfer::RunAttempt() {
    m_headers.clear();
    m_facts = {};
    m_raw.clear();
    m_received = 0;
    m_overCap = false;
    m_fileFailed = false;
    m_endKnown = false;
    m_reported = SIZE_MAX;
    m_status = 0;
    m_responseText = QelString(u"");
    if (m_file && !m_file->Restart()) return Attempt::kWriteFailed;
    const CURLcode code = Perform();
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &m_status);
    if (m_overCap || m_fileFailed) {
        m_lastError = code;
        return m_overCap ? Attempt::kTooLarge : Attempt::kWriteFailed;
    }
    return Judge(code);
}

// curl_easy_perform cannot be interrupted; the multi interface waits on the
// sockets in slices that Cancel (curl_multi_wakeup) ends at once.
CURLcode QelHttpTransfer::Perform() {
    if (curl_multi_add_handle(m_multi, m_curl) != CURLM_OK) return CURLE_FAILED_INIT;
    m_windowBytes = -1;
    CURLcode code = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
        int left = 0;
        CURLMsg* message = curl_multi_info_read(m_multi, &left);
        if (message && message->msg == CURLMSG_DONE) {
            code = message->data.result;
            break;
        }
        if (m_cancelled) {
            code = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (MovesTooSlowly(std::chrono::steady_clock::now())) {
            code = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_multi_poll(m_multi, nullptr, 0, static_cast<int>(std::min(kPollLimitMs, m_options.lowSpeedWindowMs)), nullptr);
    }
    curl_multi_remove_handle(m_multi, m_curl);
    return code;
}

// Counts from the moment the request goes out (connecting has its own limit);
// each time lowSpeedBytes have moved, a new window starts.
bool QelHttpTransfer::MovesTooSlowly(std::chrono::steady_clock::time_point now) {
    curl_off_t pretransfer = 0, down = 0, up = 0;
    curl_easy_getinfo(m_curl, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    if (pretransfer <= 0) return false;
    curl_easy_getinfo(m_curl, CURLINFO_SIZE_DOWNLOAD_T, &down);
    curl_easy_getinfo(m_curl, CURLINFO_SIZE_UPLOAD_T, &up);
    const curl_off_t moved = down + up;
    if (m_windowBytes < 0 || moved - m_windowBytes >= m_options.lowSpeedBytes) {
        m_windowStart = now;
        m_windowBytes = moved;
        return false;
    }
    return now - m_windowStart >= std::chrono::milliseconds(m_options.lowSpeedWindowMs);
}

QelHttpTransfer::Attempt QelHttpTransfer::Judge(CURLcode code) {
    if (code != CURLE_OK) {
        m_lastError = code;
        return ReachedServer(code) ? Attempt::kFailed : Attempt::kUnreached;
    }
    ReportProgress();
    if (m_file) return JudgeDownload() ? Attempt::kDone : Attempt::kFailed;
    m_responseText = qel::http::DecodeResponseText(m_raw, m_facts.charset);
    if (m_method == "GET" && qel::http::IsHtmlUnclosed(m_responseText)) {
        m_lastError = kErrorInvalidData;
        m_responseText = QelString(u"");
        return Attempt::kFailed;
    }
    return Attempt::kDone;
}

bool QelHttpTransfer::JudgeDownload() {
    const bool complete = !m_facts.hasContentLength || m_facts.contentLength == static_cast<std::int64_t>(m_received);
    if (m_status < 200 || m_status > 299 || !complete) {
        m_lastError = kErrorInvalidData;
        return false;
    }
    long version = 0;
    curl_easy_getinfo(m_curl, CURLINFO_HTTP_VERSION, &version);
    m_endKnown = m_facts.hasContentLength || m_facts.chunked || version >= CURL_HTTP_VERSION_2_0;
    return true;
}

bool QelHttpTransfer::ReachedServer(CURLcode code) const {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT: return false;
    case CURLE_OPERATION_TIMEDOUT: {
        curl_off_t connectTime = 0;
        curl_easy_getinfo(m_curl, CURLINFO_CONNECT_TIME_T, &connectTime);
        return connectTime > 0;
    }
    default: return true;
    }
}

void QelHttpTransfer::UseUserProxy() {
    const std::string proxy = m_options.proxyLookup ? m_options.proxyLookup(m_urlBytes)
                                                    : qel::http::LookupSystemProxy(m_urlBytes);
    if (!proxy.empty()) curl_easy_setopt(m_curl, CURLOPT_PROXY, proxy.c_str());
}

void QelHttpTransfer::ReportProgress() {
    if (!m_progress || !m_progressContext || m_facts.contentLength <= 0 || m_received == m_reported) return;
    m_reported = m_received;
    const double percent = static_cast<double>(m_received) * 100.0 / static_cast<double>(m_facts.contentLength);
    m_progress(m_progressContext, static_cast<int>(std::min(percent, 100.0)));
}

std::size_t QelHttpTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* t = static_cast<QelHttpTransfer*>(self);
    const std::string_view line(data, size * count);
    // Each response of a redirect chain (or an interim 1xx) starts anew.
    if (line.rfind("HTTP/", 0) == 0) t->m_headers.clear();
    t->m_headers.append(line);
    if (line == "\r\n" || line == "\n") t->m_facts = qel::http::ParseResponseHeaders(t->m_headers);
    return size * count;
}

std::size_t QelHttpTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* t = static_cast<QelHttpTransfer*>(self);
    const std::size_t n = size * count;
    const std::size_t cap = t->m_file ? t->m_options.maxFileBytes : t->m_options.maxTextBytes;
    if (t->m_received + n > cap) {
        t->m_overCap = true;
        return 0;  // curl stops reading
    }
    const std::string_view bytes(data, n);
    if (t->m_file) {
        t->m_fileFailed = !t->m_file->Append(bytes);
        if (t->m_fileFailed) return 0;
    } else {
        t->m_raw.append(bytes);
    }
    t->m_received += n;
    return n;
}

int QelHttpTransfer::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    static_cast<QelHttpTransfer*>(self)->ReportProgress();
    return 0;
}
