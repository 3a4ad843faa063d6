// The reporting library: everything a front end includes.
//
//   BomReportJob.h     ReportJob: a template and parts in, an evaluated report out
//   BomReportOptions.h the options as typed values, and their parsers
//   BomPartsTable.h    parts held in memory, for a job instead of a parts file
//   BomPhaseTimes.h    wall time and peak memory of a report's phases
//   BomReportItems.h   an evaluated report's items, tuples and numbers, for programs
//   BomSettingsScope.h stored settings that last one report
//   BomReportWriter.h  the report formats (text, list, csv, json, html, xlsx, pdf)
//   BomOutputTarget.h  writing a report to a file atomically, or to standard output
//   BomTemplateFile.h  template files read and written
//   BomReportErrors.h  InputError and OutputError
//   BomReportWarnings.h ReportWarning: what a report left out or finds suspect
//   BomReportTrees.h   owning handles of the engine's trees
//   BomReportUnits.h   the units a report's numbers are shown in
//   BomRevisions.h     what changed between two revisions of a model
//   BomCatalogue.h     the engine's tokens and object types by name
//   BomEngineHandles.h the engine's classes the interface passes as handles
//
// The engine's own headers do not come with it: its classes appear only as
// handles, declared and never defined here (BomEngineHandles.h).
#ifndef BOM_REPORT_H_
#define BOM_REPORT_H_

#include "BomOutputTarget.h"
#include "BomPartsTable.h"
#include "BomPhaseTimes.h"
#include "BomReportErrors.h"
#include "BomReportItems.h"
#include "BomReportJob.h"
#include "BomReportOptions.h"
#include "BomReportTrees.h"
#include "BomReportUnits.h"
#include "BomReportWarnings.h"
#include "BomReportWriter.h"
#include "BomRevisions.h"
#include "BomSettingsScope.h"
#include "BomTemplateFile.h"
#include "BomCatalogue.h"
#include "BomEngineHandles.h"

#endif  // BOM_REPORT_H_
