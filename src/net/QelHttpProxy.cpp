#include "QelHttpProxy.h"

#include <proxy.h>

#include <string_view>

namespace {
pxProxyFactory* Factory() {
    // Made once and kept to the process end: it caches the configuration,
    // and a worker may still be asking while the process exits.
    static pxProxyFactory* const factory = px_proxy_factory_new();
    return factory;
}
}  // namespace

namespace qel::http {
std::string LookupSystemProxy(const std::string& url) {
    pxProxyFactory* factory = Factory();
    if (!factory) return {};
    char** proxies = px_proxy_factory_get_proxies(factory, url.c_str());
    if (!proxies) return {};
    std::string chosen;
    for (char** p = proxies; *p && chosen.empty(); ++p) {
        const std::string_view proxy(*p);
        if (proxy.rfind("direct://", 0) == 0) continue;
        chosen = proxy.rfind("socks://", 0) == 0 ? "socks5://" + std::string(proxy.substr(8)) : std::string(proxy);
    }
    px_proxy_factory_free_proxies(proxies);
    return chosen;
}
}  // namespace qel::http
