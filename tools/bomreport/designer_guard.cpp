#include "designer_guard.h"

#include <random>

namespace bomreport {

GuardVerdict DesignerGuard::check(std::string_view method, std::string_view path,
                                  std::string_view host, std::string_view origin) const {
  const std::string prefix = "/" + token_ + "/";
  if (path.substr(0, prefix.size()) != prefix && path != prefix.substr(0, prefix.size() - 1)) {
    return GuardVerdict::kNoToken;
  }
  if (!isOwnHost(host)) return GuardVerdict::kForeignHost;
  if (method == "GET" || method == "HEAD") return GuardVerdict::kAllowed;
  const std::string_view scheme = "http://";
  if (origin.substr(0, scheme.size()) != scheme || !isOwnHost(origin.substr(scheme.size()))) {
    return GuardVerdict::kForeignOrigin;
  }
  return GuardVerdict::kAllowed;
}

std::string_view DesignerGuard::resource(std::string_view path) const {
  const std::size_t start = token_.size() + 2;
  return path.size() > start ? path.substr(start) : std::string_view();
}

bool DesignerGuard::isOwnHost(std::string_view host) const {
  const std::string port = ":" + std::to_string(port_);
  for (const char* name : {"127.0.0.1", "localhost", "[::1]"}) {
    if (host == std::string(name) + port) return true;
  }
  return false;
}

std::string makeDesignerToken() {
  std::random_device random;  // the system's random source (getrandom)
  const char* const digits = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 32; ++i) token += digits[random() % 16];
  return token;
}

}  // namespace bomreport
