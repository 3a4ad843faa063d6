// The template tree and its edits. The designer holds exactly the template
// object the engine reads; every edit is a function on that tree. Sections on
// the chain of first children are the levels; a level's closing section
// (group or report footer) is the second child of the section around it.
import { Real, clone, stringify } from './json.js';

export const DIRECTIVES = ['%GroupBy:', '%SortAscBy:', '%SortDescBy:', '%SumBy:', '%FilterBy:'];
export const directiveOf = (token) => DIRECTIVES.find((d) => typeof token === 'string' && token.startsWith(d)) || null;

export class Model extends EventTarget {
  constructor(tree) { super(); this.tree = tree; this.selected = [0]; this.version = 0; }
  // origin: who made the change ('panel', 'json', 'load'), so a view can
  // leave alone what its own user is typing.
  set(tree, origin) {
    this.tree = tree; this.version++;
    if (!nodeAt(tree, this.selected)) this.selected = nodeAt(tree, [0]) ? [0] : [];
    this.dispatchEvent(new CustomEvent('change', { detail: { origin } }));
  }
  edit(fn, origin = 'panel') {
    const t = clone(this.tree);
    const sel = fn(t);
    if (Array.isArray(sel)) this.selected = sel;
    this.set(t, origin);
  }
  select(path) { this.selected = path; this.dispatchEvent(new CustomEvent('change', { detail: { origin: 'select' } })); }
  text() { return stringify(this.tree); }
}

export function nodeAt(tree, path) {
  let n = tree;
  for (const i of path) { n = n && Array.isArray(n.children) ? n.children[i] : undefined; }
  return n;
}

// Levels from the outside in: {node, path, closing, closingPath, extra}.
export function levels(tree) {
  const out = [];
  let parent = tree, path = [];
  while (parent && Array.isArray(parent.children) && parent.children.length) {
    const p = [...path, 0];
    const closing = parent.children[1] || null;
    out.push({ node: parent.children[0], path: p, closing, closingPath: closing ? [...path, 1] : null,
      extra: parent.children.slice(2).map((n, j) => ({ node: n, path: [...path, j + 2] })) });
    parent = parent.children[0]; path = p;
  }
  return out;
}

const words = (type) => String(type || 'section').replace(/^k/, '').replace(/([a-z])([A-Z])/g, '$1 $2').toLowerCase().replace(/^./, (c) => c.toUpperCase());

// The bands in report order: levels going in, then closing sections coming out.
export function bands(tree) {
  const ls = levels(tree);
  let group = 0;
  const names = ls.map((l) => (l.node.type === 'kGroupHeader' ? `Group header ${++group}` : words(l.node.type)));
  const out = ls.map((l, i) => ({ role: 'level', level: i, node: l.node, path: l.path, name: names[i] }));
  for (let i = ls.length - 1; i >= 0; i--) {
    const l = ls[i];
    if (l.closing) {
      let name;
      if (l.closing.type === 'kGroupFooter' && l.node.type === 'kGroupHeader') name = names[i].replace('header', 'footer');
      else if (l.closing.type === 'kReportFooter' && i === 0) name = 'Report footer';
      else name = `${words(l.closing.type)} (closes ${names[i].toLowerCase()})`;
      out.push({ role: 'closing', level: i, node: l.closing, path: l.closingPath, name });
    }
    for (const e of l.extra) out.push({ role: 'unreached', level: i, node: e.node, path: e.path, name: `${words(e.node.type)} (never evaluated)` });
  }
  return out;
}

function rebuild(tree, ls) {
  // ls: [{node, rest}] outside in; rest = the level's closing siblings.
  let parent = tree;
  for (const l of ls) { parent.children = [l.node, ...l.rest]; parent = l.node; }
  if (!ls.length) tree.children = [];
}
function chain(tree) {
  const out = []; let parent = tree;
  while (parent && Array.isArray(parent.children) && parent.children.length) {
    out.push({ node: parent.children[0], rest: parent.children.slice(1) });
    parent = parent.children[0];
  }
  for (const l of out) delete l.node.children;
  return out;
}
const zeros = (n) => Array.from({ length: n }, () => 0);

// A new group level just outside the innermost level (the details), with
// its group footer as the closing section. Returns the new header's path.
export function addGroupLevel(tree) {
  const ls = chain(tree);
  const at = Math.max(ls.length - 1, ls.length && ls[0].node.type === 'kReportHeader' ? 1 : 0);
  ls.splice(at, 0, { node: { type: 'kGroupHeader', tuples: [] }, rest: [{ type: 'kGroupFooter', tuples: [] }] });
  rebuild(tree, ls);
  return zeros(at + 1);
}
export function removeLevel(tree, level) {
  const ls = chain(tree);
  ls.splice(level, 1);
  rebuild(tree, ls);
  return zeros(Math.min(level, ls.length - 1) + 1);
}
// Moves a level with its closing section one place in (+1) or out (-1).
export function moveLevel(tree, level, by) {
  const ls = chain(tree);
  const to = level + by;
  if (to < 0 || to >= ls.length) return zeros(level + 1);
  [ls[level], ls[to]] = [ls[to], ls[level]];
  rebuild(tree, ls);
  return zeros(to + 1);
}
export const isGroupLevel = (tree, level) => levels(tree)[level]?.node.type === 'kGroupHeader';

// --- tuples
export const tuplesOf = (node) => (Array.isArray(node.tuples) ? node.tuples : (node.tuples = []));
// Where a new directive goes: after the directives the section starts with.
export function directiveSlot(node) {
  const t = tuplesOf(node); let i = 0;
  while (i < t.length && directiveOf(t[i][0]) && directiveOf(t[i][0]) !== '%SumBy:') i++;
  return i;
}

export function typeOf(session, token) {
  return session.catalogue.find((c) => c.token === token)?.type || session.fields.find((f) => f.token === token)?.type || null;
}
export function startValue(type) {
  return type === 'integer' ? 0 : type === 'real' ? new Real(0) : '';
}
export function sumStart(type) { return type === 'real' ? new Real(0) : 0; }

// --- sorting: "%SortAscBy:%Material,%SortDescBy:%Weight,%PNum"
export function parseSort(token) {
  const d = directiveOf(token);
  if (d !== '%SortAscBy:' && d !== '%SortDescBy:') return null;
  let desc = d === '%SortDescBy:';
  const keys = [];
  for (let piece of token.slice(d.length).replaceAll(' ', '').split(',')) {
    if (piece.startsWith('%SortAscBy:')) { desc = false; piece = piece.slice(11); }
    else if (piece.startsWith('%SortDescBy:')) { desc = true; piece = piece.slice(12); }
    keys.push({ key: piece, desc });
  }
  return keys;
}
export function formatSort(keys) {
  return keys.map((k, i) => (i === 0 || k.desc !== keys[i - 1].desc ? (k.desc ? '%SortDescBy:' : '%SortAscBy:') : '') + k.key).join(',');
}
// --- filtering: "%FilterBy: 1, 2, 3, 4"
export function parseFilter(token) {
  return token.slice('%FilterBy:'.length).replaceAll(' ', '').split(',').filter((s) => s !== '').map((s) => parseInt(s, 10) || 0);
}
export const formatFilter = (codes) => '%FilterBy: ' + codes.join(', ');

// Every token a tuple shows or sums, in order of first appearance.
export function shownTokens(tree) {
  const out = [];
  const walk = (n) => {
    for (const t of Array.isArray(n.tuples) ? n.tuples : []) {
      const d = directiveOf(t[0]);
      const tok = d === '%SumBy:' ? t[0].slice(7) : d ? null : t[0];
      if (tok && !out.includes(tok)) out.push(tok);
    }
    for (const c of Array.isArray(n.children) ? n.children : []) walk(c);
  };
  walk(tree);
  return out;
}

// What the designer can show: sections with a type, tuples of [token, value].
export function checkShape(tree) {
  if (!tree || typeof tree !== 'object' || Array.isArray(tree)) return 'the template must be a JSON object';
  const walk = (n, where) => {
    if ('children' in n) {
      if (!Array.isArray(n.children)) return `${where}: "children" must be a list`;
      for (let i = 0; i < n.children.length; i++) {
        const c = n.children[i];
        if (!c || typeof c !== 'object' || Array.isArray(c)) return `${where}: child ${i + 1} is not a section`;
        const e = walk(c, `${where} > ${c.type || 'section'}`); if (e) return e;
      }
    }
    if ('tuples' in n) {
      if (!Array.isArray(n.tuples)) return `${where}: "tuples" must be a list`;
      for (const t of n.tuples) if (!Array.isArray(t) || t.length !== 2 || typeof t[0] !== 'string') return `${where}: every tuple is [token, value]`;
    }
    return null;
  };
  return walk(tree, tree.type || 'template');
}

// --- the root's "columns" and "tokenUnits", kept in the order files have them
function orderRoot(tree) {
  const order = ['type', 'tokenUnits', 'columns'];
  const saved = { ...tree };
  for (const k of Object.keys(tree)) delete tree[k];
  for (const k of order) if (k in saved) tree[k] = saved[k];
  for (const k of Object.keys(saved)) if (!order.includes(k) && k !== 'children') tree[k] = saved[k];
  if ('children' in saved) tree.children = saved.children;
}
// Sets (value given) or clears (null/'') a column's caption or decimals.
export function setColumn(tree, token, key, value) {
  const cols = tree.columns && typeof tree.columns === 'object' ? tree.columns : {};
  const entry = { ...(cols[token] || {}) };
  if (value === null || value === '') delete entry[key]; else entry[key] = value;
  const ordered = {};
  for (const k of ['caption', 'decimals']) if (k in entry) ordered[k] = entry[k];
  for (const k of Object.keys(entry)) if (!(k in ordered)) ordered[k] = entry[k];
  if (Object.keys(ordered).length) cols[token] = ordered; else delete cols[token];
  if (Object.keys(cols).length) tree.columns = cols; else delete tree.columns;
  orderRoot(tree);
}
export function setTokenUnits(tree, list) {
  if (list.length) tree.tokenUnits = list; else delete tree.tokenUnits;
  orderRoot(tree);
}
