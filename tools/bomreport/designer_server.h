// The template designer's HTTP server (`bomreport serve`): the page's files
// and its requests, answered by a DesignerSession, on the loopback addresses
// only, behind a DesignerGuard.
//
//   GET  /TOKEN/                 the page (index.html); /TOKEN/NAME its other files
//   GET  /TOKEN/api/session      DesignerSession::session
//   POST /TOKEN/api/preview      DesignerSession::preview (the template as the body)
//   POST /TOKEN/api/save         DesignerSession::save
//   POST /TOKEN/api/report?format=NAME   DesignerSession::report
//
// A refused request gets 403 and a line of text saying why; a body larger
// than kMaxDesignerBody gets 413.
#ifndef BOMREPORT_DESIGNER_SERVER_H_
#define BOMREPORT_DESIGNER_SERVER_H_

#include <cstddef>
#include <ostream>

#include "designer_session.h"

namespace bomreport {

// The largest request body the server reads: a template of some thousand
// sections.
constexpr std::size_t kMaxDesignerBody = 4 << 20;

// Listens on 127.0.0.1 (and ::1 where the system has it) at `port` (0: a
// free port), writes "designer: URL" to `out`, and answers requests until
// SIGINT, SIGTERM or SIGHUP; returns 0 then, or 1 when it cannot listen
// (with the reason on standard error). Throws InputError when the session
// cannot read its template or parts.
int serveDesigner(DesignerOptions options, int port, std::ostream& out);

}  // namespace bomreport

#endif  // BOMREPORT_DESIGNER_SERVER_H_
