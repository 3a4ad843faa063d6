// Parts from IFC models (ISO 16739 in ISO 10303-21 files) of the schemas
// IFC2X3, IFC4 and IFC4X3.
//
// The elements the mapping names (IfcMapping; by default beams, columns,
// members, plates, fasteners and discrete accessories) become parts in file
// order, each with the object type the mapping gives its entity, its handle
// and the tokens the builder keeps, each from the first of its sources that
// gives a value, converted from the model's units into the internal ones
// (IfcUnits) and typed as a CSV cell is (a catalogue token takes its type).
// Assemblies are not parts: their parts read them through "assembly:"
// sources.
//
// Nothing is guessed: what the file does not give is reported through the
// builder's warnings (parts of a type without a value of a token the template
// uses, with the sources tried; values of the wrong type; references to
// instances the file does not have; constructs this reader does not read;
// units it does not convert). Bad files are errors: InputError "NAME:LINE:COL:
// reason" (see StepReader and IfcModel; also a schema other than those read,
// and a reference cycle).
#ifndef BOMREPORT_INPUT_PARTS_IFC_H_
#define BOMREPORT_INPUT_PARTS_IFC_H_

#include <string>

#include "input/input_bytes.h"
#include "input/input_limits.h"
#include "input/parts_builder.h"

namespace bomreport {

// `mappingPath`: a mapping file read over the default mapping; empty for the
// default alone. Throws InputError.
// An archive's model is decompressed up to `limits` (the input size limit).
void readPartsIfc(const InputBytes& input, PartsBuilder& builder,
                  const std::string& mappingPath = std::string(),
                  const InputLimits& limits = InputLimits());
void readPartsIfc(const std::string& path, PartsBuilder& builder);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_PARTS_IFC_H_
