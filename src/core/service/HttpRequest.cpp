#include "service/HttpRequest.h"

#include <QElapsedTimer>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

void initialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    QByteArray body;
    qsizetype maxBody = 0;
    const HttpRequest::Examiner* examine = nullptr;
    bool tooLarge = false;
    bool stopped = false;
};

size_t onData(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->body.size() + static_cast<qsizetype>(bytes) > transfer->maxBody) {
        transfer->tooLarge = true;
        return 0;  // ends the transfer
    }
    const qsizetype newFrom = transfer->body.size();
    transfer->body.append(data, static_cast<qsizetype>(bytes));
    if (transfer->examine != nullptr && *transfer->examine &&
        !(*transfer->examine)(transfer->body, newFrom)) {
        transfer->stopped = true;
        return 0;
    }
    return bytes;
}

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

qsizetype HttpRequest::findNew(const QByteArray& body, qsizetype newFrom, QByteArrayView tag) {
    const qsizetype from = std::max<qsizetype>(0, newFrom - tag.size() + 1);
    return body.indexOf(tag, from);
}

bool HttpRequest::redirectAllowed(const QString& from, const QString& to) {
    const QString fromScheme = QUrl(from).scheme().toLower();
    const QString toScheme = QUrl(to).scheme().toLower();
    if (toScheme == QLatin1String("https")) {
        return true;
    }
    return toScheme == QLatin1String("http") && fromScheme != QLatin1String("https");
}

HttpRequest::Response HttpRequest::get(const QString& url, const Options& options,
                                       const Examiner& examine) {
    QElapsedTimer elapsed;
    elapsed.start();
    Options hop = options;
    QString at = url;
    for (int redirects = 0;; ++redirects) {
        Response response = perform(at, nullptr, hop, examine);
        const bool redirect = response.status >= 300 && response.status < 400 &&
                              response.status != 304 && !response.location.isEmpty();
        // What a refused or one-too-many redirect said is the answer: not the page asked for.
        if (response.failure != Failure::None || !redirect || redirects >= options.maxRedirects ||
            !redirectAllowed(at, response.location)) {
            return response;
        }
        const qint64 left = options.totalTimeoutMs - elapsed.elapsed();
        if (left <= 0) {
            response.failure = Failure::Send;
            return response;
        }
        hop.totalTimeoutMs = static_cast<int>(left);
        at = response.location;
    }
}

HttpRequest::Response HttpRequest::post(const QString& url, const QByteArray& body,
                                        const Options& options) {
    return perform(url, &body, options, {});
}

HttpRequest::Response HttpRequest::perform(const QString& url, const QByteArray* postBody,
                                           const Options& options, const Examiner& examine) {
    initialiseLibrary();
    Response response;
    const QByteArray address = url.toUtf8();
    const int attempts = options.connectAttempts > 0 ? options.connectAttempts : 1;

    for (int attempt = 1; attempt <= attempts; ++attempt) {
        std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
        if (!handle) {
            response.failure = Failure::BadAddress;
            return response;
        }
        CURL* curl = handle.get();
        Transfer transfer;
        transfer.maxBody = options.maxBody;
        transfer.examine = &examine;

        std::unique_ptr<curl_slist, ListDeleter> headers;
        curl_easy_setopt(curl, CURLOPT_URL, address.constData());
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, "VELO");
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onData);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(options.totalTimeoutMs));
        if (options.idleTimeoutMs > 0) {
            // Less than a byte a second for the whole time counts as nothing arriving.
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                             static_cast<long>(std::max(1, options.idleTimeoutMs / 1000)));
        }
        if (options.connectTimeoutMs > 0) {
            curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                             static_cast<long>(options.connectTimeoutMs));
        }
        // Only plain web addresses: a configured value never makes the client read a file.
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        if (postBody != nullptr) {
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody->constData());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(postBody->size()));
            curl_slist* list = nullptr;
            if (!options.contentType.isEmpty()) {
                list =
                    curl_slist_append(list, ("Content-Type: " + options.contentType).constData());
            }
            // A small form goes out at once, without waiting for the server to invite it.
            list = curl_slist_append(list, "Expect:");
            headers.reset(list);
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
        }

        const CURLcode code = curl_easy_perform(curl);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_off_t connectTime = 0;
        curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connectTime);

        const char* location = nullptr;
        curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location);
        response.location = location != nullptr ? QString::fromUtf8(location) : QString();
        response.status = status;
        response.body = std::move(transfer.body);
        response.stopped = transfer.stopped;
        if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && transfer.stopped)) {
            response.failure = Failure::None;
            return response;
        }
        if (transfer.tooLarge) {
            response.failure = Failure::TooLarge;
            return response;
        }
        switch (code) {
            case CURLE_UNSUPPORTED_PROTOCOL:
            case CURLE_URL_MALFORMAT:
                response.failure = Failure::BadAddress;
                return response;
            case CURLE_COULDNT_RESOLVE_HOST:
            case CURLE_COULDNT_RESOLVE_PROXY:
            case CURLE_COULDNT_CONNECT:
                response.failure = Failure::Connect;
                break;
            case CURLE_OPERATION_TIMEDOUT:
                response.failure = connectTime == 0 && status == 0 ? Failure::Connect
                                   : status == 0                   ? Failure::Send
                                                                   : Failure::Receive;
                break;
            default:
                response.failure = status == 0 ? Failure::Send : Failure::Receive;
                break;
        }
        if (response.failure != Failure::Connect) {
            return response;
        }
    }
    return response;
}
