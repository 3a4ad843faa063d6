// DesignerSession: what the template designer's page asks of the reporting
// library, answered as the bodies of HTTP replies. The page edits a template
// as the template file holds it (JSON) and sends it whole with every request;
// the session reads it with the template reader, evaluates it with a
// ReportJob over the parts of the command line and writes it with the
// template writer, so that the page sees exactly what `bomreport` would make
// of the same file.
//
// Thread-safety: preview() and report() may run on several threads at once
// (the jobs serialise themselves); save() holds a lock of its own.
#ifndef BOMREPORT_DESIGNER_SESSION_H_
#define BOMREPORT_DESIGNER_SESSION_H_

#include <mutex>
#include <string>
#include <string_view>

#include "BomReport.h"

namespace bomreport {

struct DesignerOptions {
  // The parts (none: the engine's sample data), units, merging and the other
  // options of a report; its templatePath is ignored.
  ReportJobOptions job;
  // The template to begin with when the file exists (else the engine's
  // default template), and where save() writes unless saveTo is given.
  std::string templatePath;
  std::string saveTo;
  // The preview evaluates at most this many of the kept parts (0: all).
  long long previewLimit = 20000;
};

// An HTTP reply: status, content type, body and, for a file to download,
// the name it is offered under.
struct DesignerReply {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
  std::string fileName;
};

class DesignerSession {
 public:
  // Reads the template (when its file exists) and takes a census of the parts:
  // the tokens they carry, with their types and how many parts carry each,
  // and their object types. Throws InputError for a bad template or parts
  // file, as a report would.
  explicit DesignerSession(DesignerOptions options);

  // The page's start: the template, the catalogue, the parts' fields and
  // object types, the formats, and where a save goes.
  DesignerReply session() const;
  // The report of the template `text` as the HTML writer makes it, with the
  // template as the template writer writes it and the warnings, each at the
  // section and tuple it names. 422 with the reason for a template the
  // reader refuses.
  DesignerReply preview(std::string_view text) const;
  // Writes the template `text` as the template writer writes it to the save
  // path, atomically. 409 when there is no save path.
  DesignerReply save(std::string_view text);
  // The report of the template `text` in `format` (a format's name), for the
  // page to download.
  DesignerReply report(std::string_view text, std::string_view format) const;

 private:
  std::string savePath() const;
  // The name reports and warnings give the template.
  std::string templateName() const;

  DesignerOptions options_;
  std::string start_;   // the template the page begins with, as written
  std::string census_;  // the "fields", "objectTypes" and "data" members, rendered
  std::mutex saving_;
};

}  // namespace bomreport

#endif  // BOMREPORT_DESIGNER_SESSION_H_
