// JSON text <-> values, keeping what JSON.parse loses: whether a number is a
// real. The engine types a tuple value by its text (0 is an integer, 0.0 a
// real), so a number written with a fraction or an exponent is read as a Real
// and written back with one.

export class Real {
  constructor(value, text) { this.value = value; this.text = text; }
  toString() { return realText(this.value); }
}

export function realText(v) {
  const s = String(v);
  return /[.eE]/.test(s) || !Number.isFinite(v) ? s : s + '.0';
}

export const isReal = (v) => v instanceof Real;

// Parses JSON text; throws SyntaxError with "line L, column C: reason".
export function parse(text) {
  let i = 0;
  const fail = (why) => {
    const before = text.slice(0, i);
    const line = before.split('\n').length;
    const col = i - before.lastIndexOf('\n');
    throw new SyntaxError(`line ${line}, column ${col}: ${i >= text.length ? 'unexpected end of text' : why}`);
  };
  const ws = () => { while (i < text.length && ' \t\n\r'.includes(text[i])) i++; };
  const value = (depth) => {
    if (depth > 2000) fail('nested too deeply');
    ws();
    const c = text[i];
    if (c === '{') {
      i++; const obj = {}; ws();
      if (text[i] === '}') { i++; return obj; }
      for (;;) {
        ws(); if (text[i] !== '"') fail('expected a key in quotes');
        const k = string(); ws();
        if (text[i] !== ':') fail('expected ":"');
        i++;
        if (Object.prototype.hasOwnProperty.call(obj, k)) fail(`key "${k}" repeated`);
        obj[k] = value(depth + 1); ws();
        if (text[i] === ',') { i++; continue; }
        if (text[i] === '}') { i++; return obj; }
        fail('expected "," or "}"');
      }
    }
    if (c === '[') {
      i++; const arr = []; ws();
      if (text[i] === ']') { i++; return arr; }
      for (;;) {
        arr.push(value(depth + 1)); ws();
        if (text[i] === ',') { i++; continue; }
        if (text[i] === ']') { i++; return arr; }
        fail('expected "," or "]"');
      }
    }
    if (c === '"') return string();
    const m = /^-?(0|[1-9]\d*)(\.\d+)?([eE][+-]?\d+)?/.exec(text.slice(i, i + 400));
    if (m && m[0]) {
      i += m[0].length;
      const n = Number(m[0]);
      return m[2] || m[3] ? new Real(n, m[0]) : n;
    }
    for (const [w, v] of [['true', true], ['false', false], ['null', null]]) {
      if (text.startsWith(w, i)) { i += w.length; return v; }
    }
    fail(`unexpected "${c}"`);
  };
  const string = () => {
    i++; let out = '';
    for (;;) {
      const j = i;
      while (i < text.length && text[i] !== '"' && text[i] !== '\\' && text[i] >= ' ') i++;
      out += text.slice(j, i);
      if (i >= text.length) fail('unterminated string');
      const c = text[i];
      if (c === '"') { i++; return out; }
      if (c < ' ') fail('control character in a string');
      i++;
      const e = text[i++];
      const simple = { '"': '"', '\\': '\\', '/': '/', b: '\b', f: '\f', n: '\n', r: '\r', t: '\t' };
      if (e in simple) out += simple[e];
      else if (e === 'u' && /^[0-9a-fA-F]{4}$/.test(text.slice(i, i + 4))) {
        out += String.fromCharCode(parseInt(text.slice(i, i + 4), 16)); i += 4;
      } else { i--; fail('bad escape'); }
    }
  };
  const v = value(0); ws();
  if (i < text.length) fail('text after the end');
  return v;
}

// Writes a template the way its files are laid out: one section per block,
// tuples on one line.
export function stringify(v, indent = '') {
  if (v instanceof Real) return v.text && Number(v.text) === v.value ? v.text : realText(v.value);
  if (v === null || typeof v !== 'object') return JSON.stringify(v ?? null);
  if (Array.isArray(v)) {
    if (v.every((x) => x === null || typeof x !== 'object' || x instanceof Real || (Array.isArray(x) && x.every((y) => y === null || typeof y !== 'object' || y instanceof Real)))) {
      return '[' + v.map((x) => stringify(x)).join(', ') + ']';
    }
    const inner = indent + '  ';
    return '[\n' + v.map((x) => inner + stringify(x, inner)).join(',\n') + '\n' + indent + ']';
  }
  const keys = Object.keys(v);
  if (keys.length === 0) return '{}';
  const flat = keys.every((k) => v[k] === null || typeof v[k] !== 'object' || v[k] instanceof Real || (k !== 'children' && k !== 'columns'));
  if (flat && !('children' in v) && !('tuples' in v)) {
    return '{' + keys.map((k) => JSON.stringify(k) + ': ' + stringify(v[k])).join(', ') + '}';
  }
  const inner = indent + '  ';
  return '{\n' + keys.map((k) => inner + JSON.stringify(k) + ': ' + stringify(v[k], inner)).join(',\n') + '\n' + indent + '}';
}

export function clone(v) {
  if (v instanceof Real) return new Real(v.value, v.text);
  if (Array.isArray(v)) return v.map(clone);
  if (v && typeof v === 'object') { const o = {}; for (const k of Object.keys(v)) o[k] = clone(v[k]); return o; }
  return v;
}
