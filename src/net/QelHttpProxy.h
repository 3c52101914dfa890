#pragma once
// The user's proxy for a URL, as the desktop configures it (environment,
// desktop settings, PAC scripts), through libproxy. Thread-safe; may block
// while a PAC script is fetched.

#include <functional>
#include <string>

namespace qel::http {
// Answers the proxy URL to use for url, or the empty string to go direct.
using ProxyLookup = std::function<std::string(const std::string& url)>;

// libproxy's answer: the first proxy it names that is not "direct://"
// ("socks://" given as "socks5://", which curl understands); empty when it
// names none or fails.
std::string LookupSystemProxy(const std::string& url);
}  // namespace qel::http
