#!/usr/bin/env node
// The example steel structure as an IFC model, written and read with web-ifc
// (npm package web-ifc, installed beside the build, never in the source tree).
//
//   node steel_ifc.cjs write SCHEMA PARTS.csv OUT.ifc   IFC2X3, IFC4 or IFC4X3
//   node steel_ifc.cjs read MODEL.ifc                    one JSON line per part
//
// write: every row of the parts CSV (examples/steel-parts.csv) becomes an
// element: type 1 IfcBeam, 2 IfcColumn, 3 IfcPlate, 4 IfcMechanicalFastener (a
// bolt group: its count and weight as quantities), 6 IfcFastener (a weld).
// Each carries its mark, phase, coating and grid in a property set
// "Fabrication", its length, width and weight as quantities, its material and
// profile, and an extruded body; the rows of one Assembly value are
// aggregated into an IfcElementAssembly. The schemas differ on purpose, so
// that each reads another road: IFC2X3 has lengths in metres, plain materials
// and no length quantities (the extrusion's depth gives the length); IFC4 has
// millimetres, material profile and layer set usages and plate marks on type
// objects; IFC4X3 also weighs in pounds, nests the parts in sub-assemblies and
// cuts the beams with boolean results. The model is deterministic: the same
// CSV gives the same file.
//
// read: what the default mapping of bomreport reads, found independently with
// web-ifc's own reader: per part its handle, object type and tokens, in
// internal units (mm, kg).
'use strict';
const fs = require('fs');
const crypto = require('crypto');
const W = require('web-ifc');  // web-ifc@0.0.78 (tests/tools/CMakeLists.txt installs it)

const KG_PER_POUND = 0.45359237;

function parseCsv(text) {
  const rows = [];
  let row = [], field = '', quoted = false;
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (quoted) {
      if (c === '"' && text[i + 1] === '"') { field += '"'; ++i; }
      else if (c === '"') quoted = false;
      else field += c;
    } else if (c === '"') quoted = true;
    else if (c === ',') { row.push(field); field = ''; }
    else if (c === '\n') { row.push(field); rows.push(row); row = []; field = ''; }
    else if (c !== '\r') field += c;
  }
  if (field !== '' || row.length > 0) { row.push(field); rows.push(row); }
  const header = rows.shift();
  return rows.map((r) => Object.fromEntries(header.map((h, k) => [h, r[k] ?? ''])));
}

// A GlobalId (22 characters of IFC's base 64) made from a key.
function guid(key) {
  const chars = '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_$';
  const bytes = crypto.createHash('sha256').update(key).digest();
  let out = chars[bytes[0] % 4];
  for (let k = 1; k < 22; ++k) out += chars[bytes[k] % 64];
  return out;
}

class Writer {
  constructor(api, schema) {
    this.api = api;
    this.schema = schema;
    this.S = W[schema];
    this.model = api.CreateModel({ schema });
    this.v2 = schema === 'IFC2X3';
    this.x3 = schema === 'IFC4X3';
    this.lengthScale = this.v2 ? 0.001 : 1;             // file units per mm
    this.massScale = this.x3 ? 1 / KG_PER_POUND : 1;    // file units per kg
    this.shared = new Map();
  }
  put(line) { this.api.WriteLine(this.model, line); return line; }
  once(key, make) {
    if (!this.shared.has(key)) this.shared.set(key, this.put(make()));
    return this.shared.get(key);
  }
  label(t) { return new this.S.IfcLabel(t); }
  id(t) { return new this.S.IfcIdentifier(t); }
  len(mm) { return new this.S.IfcLengthMeasure(mm * this.lengthScale); }
  pos(mm) { return new this.S.IfcPositiveLengthMeasure(mm * this.lengthScale); }
  point(x, y, z) {
    const c = z === undefined ? [x, y] : [x, y, z];
    return this.put(new this.S.IfcCartesianPoint(c.map((v) => new this.S.IfcLengthMeasure(v))));
  }
  dir(x, y, z) { return this.put(new this.S.IfcDirection([x, y, z].map((v) => new this.S.IfcReal(v)))); }

  header() {
    const S = this.S;
    const person = this.put(new S.IfcPerson(null, this.label('Engineer'), null, null, null, null, null, null));
    const org = this.put(new S.IfcOrganization(null, this.label('Steel works'), null, null, null));
    const user = this.put(new S.IfcPersonAndOrganization(person, org, null));
    const app = this.put(new S.IfcApplication(org, this.label('1'), this.label('steel_ifc.cjs'), this.id('steel_ifc')));
    this.owner = this.put(new S.IfcOwnerHistory(user, app, null, S.IfcChangeActionEnum.NOCHANGE, null, null, null, new S.IfcTimeStamp(0)));
    this.origin3 = this.put(new S.IfcAxis2Placement3D(this.point(0, 0, 0), null, null));
    this.origin2 = this.put(new S.IfcAxis2Placement2D(this.point(0, 0), null));
    this.up = this.dir(0, 0, 1);
    this.context = this.put(new S.IfcGeometricRepresentationContext(null, this.label('Model'), new S.IfcDimensionCount(3), new S.IfcReal(1e-5), this.origin3, null));
    this.placement = this.put(new S.IfcLocalPlacement(null, this.origin3));
    const si = (type, prefix, name) => this.put(new S.IfcSIUnit(S.IfcUnitEnum[type], prefix ? S.IfcSIPrefix[prefix] : null, S.IfcSIUnitName[name]));
    const dims = (l, m) => this.put(new S.IfcDimensionalExponents(l, m, 0, 0, 0, 0, 0));
    const kilogram = si('MASSUNIT', 'KILO', 'GRAM');
    const radian = si('PLANEANGLEUNIT', null, 'RADIAN');
    const converted = (type, name, value, unit, d) => this.put(new S.IfcConversionBasedUnit(d, S.IfcUnitEnum[type], this.label(name), this.put(new S.IfcMeasureWithUnit(value, unit))));
    const units = [
      si('LENGTHUNIT', this.v2 ? null : 'MILLI', 'METRE'),
      this.x3 ? converted('MASSUNIT', 'pound', new S.IfcMassMeasure(KG_PER_POUND), kilogram, dims(0, 1)) : kilogram,
      si('AREAUNIT', null, 'SQUARE_METRE'),
      converted('PLANEANGLEUNIT', 'degree', new S.IfcPlaneAngleMeasure(Math.PI / 180), radian, dims(0, 0)),
    ];
    this.put(new S.IfcProject(new S.IfcGloballyUniqueId(guid('project')), this.owner, this.label('Steel frame, hall 1'), null, null, null, null, [this.context], this.put(new S.IfcUnitAssignment(units))));
  }

  material(name) { return this.once('material ' + name, () => new this.S.IfcMaterial(this.label(name), ...(this.v2 ? [] : [null, null]))); }

  profile(part) {
    const S = this.S, name = part['%Name'];
    if (part['#type'] === '3') {  // a plate: its length by its width
      return this.put(new S.IfcRectangleProfileDef(S.IfcProfileTypeEnum.AREA, this.label(name), this.origin2, this.pos(+part['%Length']), this.pos(+part['%Width'])));
    }
    return this.once('profile ' + name, () => {
      const depth = +(name.match(/\d+/) || ['200'])[0];
      return new S.IfcIShapeProfileDef(S.IfcProfileTypeEnum.AREA, this.label(name), this.origin2, this.pos(depth), this.pos(depth), this.pos(8), this.pos(12), null, ...(this.v2 ? [] : [null, null]));
    });
  }

  // The body: an extrusion of the profile, for IFC4X3 beams cut by a boolean
  // result and plates placed through a representation map.
  body(part, profile) {
    const S = this.S;
    const plate = part['#type'] === '3';
    const depth = plate ? +part['%Thick'] : +part['%Length'];
    let item = this.put(new S.IfcExtrudedAreaSolid(profile, this.origin3, this.up, this.pos(depth)));
    if (this.x3 && part['#type'] === '1') {
      const plane = this.put(new S.IfcPlane(this.origin3));
      const half = this.put(new S.IfcHalfSpaceSolid(plane, new S.IfcBoolean(false)));
      item = this.put(new S.IfcBooleanClippingResult(S.IfcBooleanOperator.DIFFERENCE, item, half));
    }
    if (this.x3 && plate) {
      const shape = this.put(new S.IfcShapeRepresentation(this.context, this.label('Body'), this.label('SweptSolid'), [item]));
      const map = this.put(new S.IfcRepresentationMap(this.origin3, shape));
      const target = this.put(new S.IfcCartesianTransformationOperator3D(null, null, this.point(0, 0, 0), null, null));
      item = this.put(new S.IfcMappedItem(map, target));
    }
    const rep = this.put(new S.IfcShapeRepresentation(this.context, this.label('Body'), this.label(this.x3 && plate ? 'MappedRepresentation' : 'SweptSolid'), [item]));
    return this.put(new S.IfcProductDefinitionShape(null, null, [rep]));
  }

  element(part, name, body) {
    const S = this.S, type = part['#type'];
    const args = [new S.IfcGloballyUniqueId(guid('part ' + part['#handle'])), this.owner, this.label(name), null, null, this.placement, body, this.id(part['%ElementID'])];
    if (type === '1') return this.put(new S.IfcBeam(...args, ...(this.v2 ? [] : [null])));
    if (type === '2') return this.put(new S.IfcColumn(...args, ...(this.v2 ? [] : [null])));
    if (type === '3') return this.put(new S.IfcPlate(...args, ...(this.v2 ? [] : [null])));
    if (type === '4') {
      const diameter = +part['%Name'].match(/M(\d+)/)[1];
      return this.put(new S.IfcMechanicalFastener(...args, this.pos(diameter), this.pos(+part['%Length']), ...(this.v2 ? [] : [null])));
    }
    return this.put(new S.IfcFastener(...args, ...(this.v2 ? [] : [S.IfcFastenerTypeEnum.WELD])));
  }

  propertySet(name, values) {
    const S = this.S;
    const props = Object.entries(values).filter(([, v]) => v !== '').map(([k, v]) =>
      this.put(new S.IfcPropertySingleValue(this.id(k), null, k === 'PartMark' || k === 'AssemblyMark' ? this.id(v) : this.label(v), null)));
    return props.length ? this.put(new S.IfcPropertySet(new S.IfcGloballyUniqueId(guid('pset ' + this.shared.size + ' ' + this.seq++)), this.owner, this.label(name), null, props)) : null;
  }

  quantities(part) {
    const S = this.S, type = part['#type'];
    const extra = this.v2 ? [] : [null];
    const q = [];
    const length = (n, mm) => q.push(this.put(new S.IfcQuantityLength(this.label(n), null, null, new S.IfcLengthMeasure(mm * this.lengthScale), ...extra)));
    if (part['%Length'] !== '' && (type === '3' || (!this.v2 && type !== '4'))) length('Length', +part['%Length']);
    if (part['%Width'] !== '') length('Width', +part['%Width']);
    if (type === '4') q.push(this.put(new S.IfcQuantityCount(this.label('Count'), null, null, new S.IfcCountMeasure(+part['%Quantity']), ...extra)));
    if (part['%Weight'] !== '') q.push(this.put(new S.IfcQuantityWeight(this.label('NetWeight'), null, null, new S.IfcMassMeasure(+part['%Weight'] * this.massScale), ...extra)));
    if (!q.length) return null;
    const name = this.v2 ? 'BaseQuantities' : { 1: 'Qto_BeamBaseQuantities', 2: 'Qto_ColumnBaseQuantities', 3: 'Qto_PlateBaseQuantities' }[type] || 'Qto_FastenerBaseQuantities';
    return this.put(new S.IfcElementQuantity(new S.IfcGloballyUniqueId(guid('qto ' + part['#handle'])), this.owner, this.label(name), null, null, q));
  }

  associate(element, part, profile) {
    const S = this.S, type = part['#type'], name = part['%Material'];
    if (name === '') return;
    let select = this.material(name);
    if (!this.v2 && (type === '1' || type === '2')) {
      select = this.once('profile set ' + part['%Name'] + ' ' + name, () => {
        const mp = this.put(new S.IfcMaterialProfile(null, null, this.material(name), profile, null, null));
        return new S.IfcMaterialProfileSetUsage(this.put(new S.IfcMaterialProfileSet(null, null, [mp], null)), null, null);
      });
    } else if (!this.v2 && type === '3') {
      select = this.once('layer set ' + part['%Thick'] + ' ' + name, () => {
        const layer = this.put(new S.IfcMaterialLayer(this.material(name), new S.IfcNonNegativeLengthMeasure(+part['%Thick']), null, null, null, null, null));
        const set = this.put(new S.IfcMaterialLayerSet([layer], null, null));
        return new S.IfcMaterialLayerSetUsage(set, S.IfcLayerSetDirectionEnum.AXIS3, S.IfcDirectionSenseEnum.POSITIVE, new S.IfcLengthMeasure(0), null);
      });
    } else if (this.v2 && type === '4') {
      select = this.once('list ' + name, () => new S.IfcMaterialList([this.material(name)]));
    }
    this.put(new S.IfcRelAssociatesMaterial(new S.IfcGloballyUniqueId(guid('material ' + part['#handle'])), this.owner, null, null, [element], select));
  }

  // IFC4 and IFC4X3 plates carry their mark on a type object per mark.
  plateType(part) {
    const S = this.S;
    return this.once('plate type ' + part['%PNum'], () => new S.IfcPlateType(new S.IfcGloballyUniqueId(guid('type ' + part['%PNum'])), this.owner, this.label(part['%PNum']), null, null, [this.propertySet('Fabrication', { PartMark: part['%PNum'] })], null, null, null, S.IfcPlateTypeEnum.NOTDEFINED));
  }

  defines(objects, definition, key) {
    this.put(new this.S.IfcRelDefinesByProperties(new this.S.IfcGloballyUniqueId(guid(key)), this.owner, null, null, objects, definition));
  }

  part(row) {
    const type = row['#type'];
    const member = type === '1' || type === '2' || type === '3';
    const profile = member ? this.profile(row) : null;
    const element = this.element(row, member ? row['%Name'] : row['%Name'], member ? this.body(row, profile) : null);
    const onType = !this.v2 && type === '3';
    const fabrication = this.propertySet('Fabrication', {
      PartMark: onType ? '' : row['%PNum'], Phase: row['%Phase'], Coating: row['%Coating'], Grid: row['Grid'], Standard: row['%Standard'] });
    if (fabrication) this.defines([element], fabrication, 'fabrication ' + row['#handle']);
    const qto = this.quantities(row);
    if (qto) this.defines([element], qto, 'quantities ' + row['#handle']);
    if (onType) this.put(new this.S.IfcRelDefinesByType(new this.S.IfcGloballyUniqueId(guid('typed ' + row['#handle'])), this.owner, null, null, [element], this.plateType(row)));
    this.associate(element, row, profile);
    return element;
  }

  assembly(mark, name, key, tag) {
    const S = this.S;
    const a = this.put(new S.IfcElementAssembly(new S.IfcGloballyUniqueId(guid('assembly ' + key)), this.owner, this.label(name), null, null, this.placement, null, this.id(tag), S.IfcAssemblyPlaceEnum.FACTORY, S.IfcElementAssemblyTypeEnum.NOTDEFINED));
    if (tag === mark) this.defines([a], this.propertySet('Fabrication', { AssemblyMark: mark }), 'assembly mark ' + key);
    return a;
  }

  write(rows) {
    this.seq = 0;
    this.header();
    const groups = new Map();
    for (const row of rows) {
      const element = this.part(row);
      if (row['Assembly'] === '') continue;
      if (!groups.has(row['Assembly'])) groups.set(row['Assembly'], { row, parts: [] });
      groups.get(row['Assembly']).parts.push(element);
    }
    const S = this.S;
    for (const [key, { row, parts }] of groups) {
      const outer = this.assembly(row['%MNum'], row['%MName'], key, row['%MNum']);
      if (!this.x3) {
        this.put(new S.IfcRelAggregates(new S.IfcGloballyUniqueId(guid('aggregates ' + key)), this.owner, null, null, outer, parts));
        continue;
      }
      const inner = this.assembly(row['%MNum'], 'sub-assembly', key + ' inner', 'SUB');
      this.put(new S.IfcRelAggregates(new S.IfcGloballyUniqueId(guid('aggregates ' + key)), this.owner, null, null, outer, [inner]));
      this.put(new S.IfcRelNests(new S.IfcGloballyUniqueId(guid('nests ' + key)), this.owner, null, null, inner, parts));
    }
    const text = new TextDecoder().decode(this.api.SaveModel(this.model));
    return text.replace(/FILE_NAME\('[^']*','[^']*'/, "FILE_NAME('steel-frame.ifc','2024-01-01T00:00:00'");
  }
}

// ---- reading, independently of bomreport ----

const TYPE_CODES = { IFCBEAM: 1, IFCCOLUMN: 2, IFCPLATE: 3, IFCMECHANICALFASTENER: 4, IFCMEMBER: 5, IFCFASTENER: 6, IFCDISCRETEACCESSORY: 7 };

class Reader {
  constructor(api, data) {
    this.api = api;
    this.model = api.OpenModel(data);
    this.lines = new Map();
    this.inverse = { props: new Map(), type: new Map(), material: new Map(), parent: new Map() };
    for (const [rel, key, a, b] of [['IFCRELDEFINESBYPROPERTIES', 'props', 'RelatedObjects', 'RelatingPropertyDefinition'],
      ['IFCRELDEFINESBYTYPE', 'type', 'RelatedObjects', 'RelatingType'],
      ['IFCRELASSOCIATESMATERIAL', 'material', 'RelatedObjects', 'RelatingMaterial'],
      ['IFCRELAGGREGATES', 'parent', 'RelatedObjects', 'RelatingObject'],
      ['IFCRELNESTS', 'parent', 'RelatedObjects', 'RelatingObject']]) {
      for (const id of this.ids(rel)) {
        const line = this.line(id);
        for (const object of line[a]) {
          const list = this.inverse[key].get(object.value) || [];
          list.push(line[b].value);
          this.inverse[key].set(object.value, list);
        }
      }
    }
    this.units();
  }
  ids(name) { return [...this.api.GetLineIDsWithType(this.model, W[name])]; }
  line(id) {
    if (!this.lines.has(id)) this.lines.set(id, this.api.GetLine(this.model, id));
    return this.lines.get(id);
  }
  typeName(id) { return this.api.GetNameFromTypeCode(this.line(id).type).toUpperCase(); }
  val(v) { return v === null || v === undefined ? undefined : v.value; }

  unitSize(id) {
    const unit = this.line(id);
    if (this.typeName(id) === 'IFCCONVERSIONBASEDUNIT') {
      const measure = this.line(unit.ConversionFactor.value);
      return measure.ValueComponent.value * this.unitSize(measure.UnitComponent.value);
    }
    const prefix = { MILLI: 1e-3, KILO: 1e3 }[this.val(unit.Prefix)] || 1;
    return { METRE: 1000 * prefix, GRAM: 1e-3 * prefix, SQUARE_METRE: 1e6 * prefix * prefix }[unit.Name.value];
  }
  units() {
    this.factor = {};
    const project = this.line(this.ids('IFCPROJECT')[0]);
    for (const ref of this.line(project.UnitsInContext.value).Units) {
      this.factor[this.line(ref.value).UnitType.value] = this.unitSize(ref.value);
    }
  }

  // The first set (occurrence first, then its type) with `name` in it.
  fromSets(id, setKind, name) {
    const sets = [...(this.inverse.props.get(id) || [])];
    for (const type of this.inverse.type.get(id) || []) {
      sets.push(...(this.line(type).HasPropertySets || []).map((h) => h.value));
    }
    for (const set of sets) {
      if (this.typeName(set) !== setKind) continue;
      const items = setKind === 'IFCPROPERTYSET' ? this.line(set).HasProperties : this.line(set).Quantities;
      for (const item of items) {
        const line = this.line(item.value);
        if (line.Name.value !== name) continue;
        if (setKind === 'IFCPROPERTYSET') return line.NominalValue.value;
        const kind = this.typeName(item.value);
        const value = line.LengthValue ?? line.WeightValue ?? line.CountValue ?? line.AreaValue;
        return value.value * ({ IFCQUANTITYLENGTH: this.factor.LENGTHUNIT, IFCQUANTITYWEIGHT: this.factor.MASSUNIT }[kind] || 1);
      }
    }
    return undefined;
  }

  materialSelect(id) { return (this.inverse.material.get(id) || [])[0]; }
  material(id) {
    let select = this.materialSelect(id);
    if (select === undefined) return undefined;
    const kind = this.typeName(select);
    if (kind.endsWith('USAGE')) select = (this.line(select).ForProfileSet || this.line(select).ForLayerSet).value;
    const line = this.line(select);
    const names = [];
    if (line.MaterialProfiles) names.push(...line.MaterialProfiles.map((p) => this.line(this.line(p.value).Material.value).Name.value));
    else if (line.MaterialLayers) names.push(...line.MaterialLayers.map((p) => this.line(this.line(p.value).Material.value).Name.value));
    else if (line.Materials) names.push(...line.Materials.map((p) => this.line(p.value).Name.value));
    else names.push(line.Name.value);
    return [...new Set(names)].join(' / ');
  }
  extrusion(id) {
    const element = this.line(id);
    if (!element.Representation) return undefined;
    const stack = this.line(element.Representation.value).Representations.map((r) => r.value).reverse();
    while (stack.length) {
      const item = stack.pop();
      const name = this.typeName(item), line = this.line(item);
      if (name === 'IFCEXTRUDEDAREASOLID') return line;
      if (name === 'IFCSHAPEREPRESENTATION') stack.push(...line.Items.map((i) => i.value).reverse());
      if (name === 'IFCBOOLEANCLIPPINGRESULT') stack.push(line.FirstOperand.value);
      if (name === 'IFCMAPPEDITEM') stack.push(this.line(line.MappingSource.value).MappedRepresentation.value);
    }
    return undefined;
  }
  profile(id) {
    const select = this.materialSelect(id);
    if (select !== undefined && this.typeName(select) === 'IFCMATERIALPROFILESETUSAGE') {
      const set = this.line(this.line(select).ForProfileSet.value);
      return this.line(this.line(set.MaterialProfiles[0].value).Profile.value).ProfileName.value;
    }
    const solid = this.extrusion(id);
    return solid ? this.line(solid.SweptArea.value).ProfileName.value : undefined;
  }
  assembly(id) {
    let outer;
    for (let at = id; this.inverse.parent.has(at);) {
      at = this.inverse.parent.get(at)[0];
      if (this.typeName(at) === 'IFCELEMENTASSEMBLY') outer = at;
    }
    return outer;
  }

  part(id) {
    const line = this.line(id), name = this.typeName(id);
    const type = TYPE_CODES[name];
    const fastener = type === 4 || type === 6;
    const out = { handle: line.GlobalId.value, type };
    const set = (token, value) => { if (value !== undefined && value !== null) out[token] = value; };
    const depth = () => { const s = this.extrusion(id); return s ? s.Depth.value * this.factor.LENGTHUNIT : undefined; };
    set('%ElementID', this.val(line.Tag));
    set('%PNum', this.fromSets(id, 'IFCPROPERTYSET', 'PartMark') ?? this.val(line.Tag));
    set('%Name', fastener ? this.val(line.Name) : this.profile(id));
    set('%Material', this.material(id));
    for (const name of ['Phase', 'Coating', 'Standard']) set('%' + name, this.fromSets(id, 'IFCPROPERTYSET', name));
    set('Grid', this.fromSets(id, 'IFCPROPERTYSET', 'Grid'));
    let length = this.fromSets(id, 'IFCELEMENTQUANTITY', 'Length');
    if (type === 4) length = line.NominalLength ? line.NominalLength.value * this.factor.LENGTHUNIT : length;
    else if (type !== 3 && type !== 6) length = length ?? depth();
    set('%Length', length);
    set('%Weight', this.fromSets(id, 'IFCELEMENTQUANTITY', 'NetWeight') ?? this.fromSets(id, 'IFCELEMENTQUANTITY', 'GrossWeight'));
    set('%Quantity', this.fromSets(id, 'IFCELEMENTQUANTITY', 'Count') ?? 1);
    if (type === 3) {
      set('%Width', this.fromSets(id, 'IFCELEMENTQUANTITY', 'Width'));
      const layers = this.materialSelect(id) !== undefined && this.typeName(this.materialSelect(id)) === 'IFCMATERIALLAYERSETUSAGE'
        ? this.line(this.line(this.materialSelect(id)).ForLayerSet.value).MaterialLayers.reduce((sum, l) => sum + this.line(l.value).LayerThickness.value, 0) * this.factor.LENGTHUNIT
        : undefined;
      set('%Thick', layers ?? depth());
    }
    const assembly = this.assembly(id);
    if (assembly !== undefined) {
      const a = this.line(assembly);
      set('%MNum', this.fromSets(assembly, 'IFCPROPERTYSET', 'AssemblyMark') ?? this.val(a.Tag));
      set('%MName', this.val(a.Name));
      set('Assembly', a.GlobalId.value);
    }
    return out;
  }

  parts() {
    const ids = Object.keys(TYPE_CODES).flatMap((name) => this.ids(name));
    return ids.sort((a, b) => a - b).map((id) => this.part(id));
  }
}

async function main() {
  const [mode, ...args] = process.argv.slice(2);
  const api = new W.IfcAPI();
  await api.Init();
  if (mode === 'write' && args.length === 3) {
    const rows = parseCsv(fs.readFileSync(args[1], 'utf8'));
    fs.writeFileSync(args[2], new Writer(api, args[0].toUpperCase()).write(rows));
  } else if (mode === 'read' && args.length === 1) {
    const reader = new Reader(api, fs.readFileSync(args[0]));
    for (const part of reader.parts()) process.stdout.write(JSON.stringify(part) + '\n');
  } else {
    process.stderr.write('usage: steel_ifc.cjs write IFC2X3|IFC4|IFC4X3 PARTS.csv OUT.ifc | read MODEL.ifc\n');
    process.exit(2);
  }
}

main().catch((e) => { process.stderr.write(String(e && e.stack || e) + '\n'); process.exit(1); });
