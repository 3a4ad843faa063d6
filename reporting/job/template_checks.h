// What a template asks that the engine will not do as its author meant. The
// engine takes any template as it comes: a misspelt directive is an ordinary
// column, a filter piece that is no number filters on what the conversion
// gives, a sum in a section that closes no group stays at its starting value,
// and sections off the evaluated chain are never reached. These checks find
// those places and say what to write instead.
#ifndef BOMREPORT_JOB_TEMPLATE_CHECKS_H_
#define BOMREPORT_JOB_TEMPLATE_CHECKS_H_

#include <string>
#include <vector>

#include "BomReportWarnings.h"
#include "BomTemplateFile.h"

namespace bomreport {

// The warnings about `templ`, in file order. `fileName` names the template in
// them (empty for the built-in default template).
std::vector<ReportWarning> templateWarnings(const LoadedTemplate& templ,
                                            const std::string& fileName);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_TEMPLATE_CHECKS_H_
