// DesignerGuard: which requests the template designer's server answers.
//
// The server listens on the loopback addresses only, but a page of any site
// the user visits can still send requests to it, and a name that a foreign
// DNS server points at 127.0.0.1 can make the browser treat such a page as
// the designer's own. So a request is answered only when
//   - its path begins with "/TOKEN/", the random token of this start, which
//     the printed URL carries and no other page can know;
//   - its Host header is a loopback name with this server's port
//     ("127.0.0.1:PORT", "localhost:PORT", "[::1]:PORT");
//   - for anything but GET and HEAD, its Origin is "http://" and such a host:
//     the designer's own page, not a form or script of another site.
//
// Thread-safety: const after construction.
#ifndef BOMREPORT_DESIGNER_GUARD_H_
#define BOMREPORT_DESIGNER_GUARD_H_

#include <string>
#include <string_view>

namespace bomreport {

enum class GuardVerdict { kAllowed, kNoToken, kForeignHost, kForeignOrigin };

class DesignerGuard {
 public:
  DesignerGuard(std::string token, int port) : token_(std::move(token)), port_(port) {}

  const std::string& token() const { return token_; }
  // The verdict on a request; `origin` is empty when the request has none.
  GuardVerdict check(std::string_view method, std::string_view path, std::string_view host,
                     std::string_view origin) const;
  // The path below "/TOKEN/" ("api/session"; "" for the page itself).
  // REQUIRES: check() allowed the path.
  std::string_view resource(std::string_view path) const;

 private:
  bool isOwnHost(std::string_view host) const;

  std::string token_;
  int port_;
};

// 32 hexadecimal digits from the system's random source.
std::string makeDesignerToken();

}  // namespace bomreport

#endif  // BOMREPORT_DESIGNER_GUARD_H_
