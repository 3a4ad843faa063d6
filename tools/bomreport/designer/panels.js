// The settings of the selected band: its directives as controls (filter,
// grouping, sorting, sums), its tuples with their captions and decimals, and
// for the template itself the token units and every column.
import { h, labelled, tokenOptions } from './dom.js';
import * as M from './model.js';
import { Real } from './json.js';

const same = (a, b) => Array.isArray(a) && Array.isArray(b) && a.length === b.length && a.every((x, i) => x === b[i]);

export function renderPanels(ctx) {
  const { model } = ctx;
  const tree = model.tree;
  if (!model.selected.length) return templatePanel(ctx);
  const band = M.bands(tree).find((b) => same(b.path, model.selected));
  if (!band) return h('p', { class: 'muted' }, 'Select a band on the left.');
  const path = band.path;
  const edit = (fn) => model.edit((t) => { fn(M.nodeAt(t, path), t); });
  const warnings = ctx.warnings.filter((w) => same(w.section, path));
  const node = band.node;
  const parts = [
    h('div', { class: 'panel-head' },
      h('h2', { id: 'panel-title' }, band.name),
      h('code', { class: 'type' }, node.type || '(no type)')),
    levelActions(ctx, band),
    warnings.length ? h('ul', { class: 'warnings', 'aria-label': `Warnings of ${band.name}` },
      warnings.map((w) => warningItem(w, tuplesLabel(node, w)))) : null,
  ];
  if (node.type === 'kReportHeader') parts.push(filterPanel(ctx, node, edit));
  if (node.type === 'kGroupHeader') parts.push(groupPanel(ctx, node, edit));
  if (band.role === 'level') parts.push(sortPanel(ctx, node, edit));
  if (band.role === 'closing') parts.push(sumPanel(ctx, node, edit));
  parts.push(tuplesPanel(ctx, band, edit, warnings), labelPanel(ctx, node, edit));
  return parts;
}

export function warningItem(w, where) {
  return h('li', { class: 'warning', dataset: { kind: w.kind } },
    h('strong', {}, w.kind), where ? h('span', { class: 'where' }, ` (${where})`) : null, ': ',
    h('span', { class: 'text' }, w.text),
    w.cure ? h('div', { class: 'cure' }, 'Cure: ', w.cure) : null);
}
const tuplesLabel = (node, w) => (Number.isInteger(w.tuple) && node.tuples?.[w.tuple] ? `tuple ${w.tuple + 1}, ${node.tuples[w.tuple][0]}` : '');

function levelActions(ctx, band) {
  const { model } = ctx;
  const ls = M.levels(model.tree);
  const level = band.level;
  if (band.role === 'unreached' || !M.isGroupLevel(model.tree, level)) return null;
  const canUp = M.isGroupLevel(model.tree, level - 1);
  const canDown = M.isGroupLevel(model.tree, level + 1);
  const header = ls[level].path;
  return h('div', { class: 'actions', role: 'group', 'aria-label': 'Level' },
    h('button', { type: 'button', disabled: !canUp, title: 'Swap with the group level around it (header and footer move together)',
      onclick: () => model.edit((t) => M.moveLevel(t, level, -1)) }, 'Move level up'),
    h('button', { type: 'button', disabled: !canDown, title: 'Swap with the group level inside it',
      onclick: () => model.edit((t) => M.moveLevel(t, level, +1)) }, 'Move level down'),
    h('button', { type: 'button', class: 'danger', title: `Remove ${band.name} and its footer`,
      onclick: () => model.edit((t) => M.removeLevel(t, level)) }, 'Remove level'),
    band.role === 'closing' ? h('button', { type: 'button', class: 'link', onclick: () => model.select(header) }, 'Go to its header') : null);
}

function findTuple(node, pred) { return (node.tuples || []).findIndex((t) => pred(t[0])); }

function filterPanel(ctx, node, edit) {
  const i = findTuple(node, (tok) => M.directiveOf(tok) === '%FilterBy:');
  const codes = i >= 0 ? M.parseFilter(node.tuples[i][0]) : [];
  const types = [...ctx.session.objectTypes];
  for (const c of codes) if (!types.some((t) => t.code === c)) types.push({ code: c, name: 'not in the file', parts: 0 });
  types.sort((a, b) => a.code - b.code);
  const set = (code, on) => edit((n) => {
    const j = findTuple(n, (tok) => M.directiveOf(tok) === '%FilterBy:');
    let now = j >= 0 ? M.parseFilter(n.tuples[j][0]) : [];
    now = on ? [...new Set([...now, code])].sort((a, b) => a - b) : now.filter((c) => c !== code);
    if (!now.length) { if (j >= 0) n.tuples.splice(j, 1); return; }
    if (j >= 0) n.tuples[j][0] = M.formatFilter(now); else M.tuplesOf(n).splice(0, 0, [M.formatFilter(now), '']);
  });
  return h('fieldset', { class: 'panel' }, h('legend', {}, 'Object types in the report'),
    types.length ? h('ul', { class: 'checks' }, types.map((t) => {
      const box = h('input', { type: 'checkbox', checked: codes.includes(t.code), onchange: (e) => set(t.code, e.target.checked) });
      return h('li', {}, labelled(`${t.code} ${t.name}`, box, { key: `filter-${t.code}` }), typeof t.parts === 'number' ? h('span', { class: 'count' }, `${t.parts} parts`) : null);
    })) : h('p', { class: 'muted' }, 'The parts have no object types.'),
    h('p', { class: 'hint' }, codes.length ? `Only parts of the ticked types become rows (parts without a type are kept).` : 'Nothing ticked: every part is kept.'));
}

function groupPanel(ctx, node, edit) {
  const i = findTuple(node, (tok) => M.directiveOf(tok) === '%GroupBy:');
  const current = i >= 0 ? node.tuples[i][0].slice(9) : '';
  const sel = h('select', { onchange: (e) => edit((n) => {
    const j = findTuple(n, (tok) => M.directiveOf(tok) === '%GroupBy:');
    const v = e.target.value;
    if (!v) { if (j >= 0) n.tuples.splice(j, 1); return; }
    if (j >= 0) n.tuples[j][0] = '%GroupBy:' + v; else M.tuplesOf(n).splice(0, 0, ['%GroupBy:' + v, '']);
  }) }, tokenOptions(ctx.session, current, [h('option', { value: '' }, '(no grouping)')]));
  // Rows are sorted once, by the keys of every level from the outside in.
  const sorted = M.levels(ctx.model.tree).some((l) => (l.node.tuples || []).some((t) => (M.parseSort(t[0]) || []).some((k) => k.key === current)));
  return h('fieldset', { class: 'panel' }, h('legend', {}, 'Grouping'),
    h('div', { class: 'row' }, labelled('Group rows by', sel, { key: 'group-by' })),
    current && !sorted ? h('p', { class: 'hint' }, 'Groups are runs of equal values: sort by what you group by. ',
      h('button', { type: 'button', onclick: () => edit((n) => addSortKey(n, current, false)) }, `Sort by ${current}`)) : null);
}

function addSortKey(n, key, desc) {
  const j = findTuple(n, (tok) => M.parseSort(tok));
  if (j >= 0) { const keys = M.parseSort(n.tuples[j][0]); keys.push({ key, desc }); n.tuples[j][0] = M.formatSort(keys); }
  else M.tuplesOf(n).splice(M.directiveSlot(n), 0, [M.formatSort([{ key, desc }]), '']);
}

function sortPanel(ctx, node, edit) {
  const i = findTuple(node, (tok) => M.parseSort(tok));
  const keys = i >= 0 ? M.parseSort(node.tuples[i][0]) : [];
  const change = (fn) => edit((n) => {
    const j = findTuple(n, (tok) => M.parseSort(tok));
    const ks = M.parseSort(n.tuples[j][0]); fn(ks);
    if (ks.length) n.tuples[j][0] = M.formatSort(ks); else n.tuples.splice(j, 1);
  });
  const dirSelect = (desc, onchange) => h('select', { onchange }, h('option', { value: 'asc', selected: !desc }, 'ascending'), h('option', { value: 'desc', selected: desc }, 'descending'));
  const addKey = h('select', {}, tokenOptions(ctx.session, '', [h('option', { value: '' }, 'choose a token…')]));
  const addDir = dirSelect(false);
  return h('fieldset', { class: 'panel' }, h('legend', {}, 'Sorting'),
    keys.length ? h('ol', { class: 'keys sort-keys' }, keys.map((k, n) => h('li', { class: 'row' },
      labelled(`Sort key ${n + 1}`, h('select', { onchange: (e) => change((ks) => { ks[n].key = e.target.value; }) }, tokenOptions(ctx.session, k.key)), { key: `sort-key-${n}` }),
      labelled(`Direction of sort key ${n + 1}`, dirSelect(k.desc, (e) => change((ks) => { ks[n].desc = e.target.value === 'desc'; })), { hidden: true, key: `sort-dir-${n}` }),
      h('button', { type: 'button', class: 'icon', 'aria-label': `Remove sort key ${n + 1}`, title: 'Remove this key', onclick: () => change((ks) => ks.splice(n, 1)) }, '✕')))) : null,
    h('div', { class: 'row' }, labelled('Add sort key', addKey, { key: 'sort-add', draft: true }), labelled('Direction', addDir, { hidden: true, key: 'sort-add-dir', draft: true }),
      h('button', { type: 'button', onclick: () => addKey.value && edit((n) => addSortKey(n, addKey.value, addDir.value === 'desc')) }, 'Add sort')),
    keys.length > 1 ? h('p', { class: 'hint' }, 'The first key weighs most; outer levels sort before inner ones.') : null);
}

function sumPanel(ctx, node, edit) {
  const pick = h('select', {}, tokenOptions(ctx.session, '', [h('option', { value: '' }, 'choose a token…')]));
  return h('fieldset', { class: 'panel' }, h('legend', {}, 'Sums'),
    h('div', { class: 'row' }, labelled('Sum of', pick, { key: 'sum-add', draft: true }),
      h('button', { type: 'button', onclick: () => pick.value && edit((n) => { M.tuplesOf(n).push(['%SumBy:' + pick.value, M.sumStart(M.typeOf(ctx.session, pick.value))]); }) }, 'Add sum')),
    h('p', { class: 'hint' }, 'A sum adds the token over the rows of the group this section closes. To count parts, sum %Quantity.'));
}

function describe(token, value) {
  const d = M.directiveOf(token);
  if (d === '%GroupBy:') return `group by ${token.slice(9)}`;
  if (d === '%SumBy:') return `Σ ${token.slice(7)}`;
  if (d === '%FilterBy:') return `filter: object types ${M.parseFilter(token).join(', ')}`;
  if (d) return 'sort by ' + M.parseSort(token).map((k) => `${k.key} ${k.desc ? '↓' : '↑'}`).join(', ');
  return null;
}
const valueType = (v) => (v instanceof Real ? 'real' : typeof v === 'number' ? 'integer' : v === null ? 'none' : 'text');

function tuplesPanel(ctx, band, edit, warnings) {
  const { session, model } = ctx;
  const node = band.node;
  const tuples = node.tuples || [];
  const cols = model.tree.columns || {};
  const setCol = (token, key, v) => model.edit((t) => { M.setColumn(t, token, key, v); });
  const rows = tuples.map(([token, value], i) => {
    const d = M.directiveOf(token);
    const shown = d === '%SumBy:' ? token.slice(7) : d ? null : token;
    const isLabel = !d && !token.startsWith('%');
    const type = shown && !isLabel ? M.typeOf(session, shown) : null;
    const unknown = shown && !isLabel && !type;
    const col = shown ? cols[shown] || {} : {};
    const tw = warnings.filter((w) => w.tuple === i);
    const dec = col.decimals;
    return h('li', { class: 'tuple' + (d ? ' directive' : '') + (tw.length ? ' has-warning' : ''), dataset: { index: i, token } },
      h('div', { class: 'tuple-main' },
        d ? h('span', { class: 'desc', title: token }, describe(token, value)) : h('code', { class: 'token' }, token),
        isLabel ? labelled(`Text of ${token}`, h('input', { type: 'text', value: String(value ?? ''), oninput: (e) => edit((n) => { n.tuples[i][1] = e.target.value; }) }), { hidden: true, key: `label-${i}` })
          : h('span', { class: 'vtype', title: 'the value written in the template' }, valueType(value) === 'text' ? (d ? '' : 'text') : `${valueType(value)} ${value}`),
        unknown ? h('span', { class: 'tag' }, 'not in catalogue or file') : null,
        h('span', { class: 'spacer' }),
        h('button', { type: 'button', class: 'icon', disabled: i === 0, 'aria-label': `Move ${token} up`, title: 'Move up', onclick: () => edit((n) => { n.tuples.splice(i - 1, 0, n.tuples.splice(i, 1)[0]); }) }, '↑'),
        h('button', { type: 'button', class: 'icon', disabled: i === tuples.length - 1, 'aria-label': `Move ${token} down`, title: 'Move down', onclick: () => edit((n) => { n.tuples.splice(i + 1, 0, n.tuples.splice(i, 1)[0]); }) }, '↓'),
        h('button', { type: 'button', class: 'icon', 'aria-label': `Remove ${token}`, title: 'Remove', onclick: () => edit((n) => { n.tuples.splice(i, 1); }) }, '✕')),
      shown && !isLabel ? h('div', { class: 'tuple-cols' },
        short('Caption', shown, h('input', { type: 'text', placeholder: shown.replace(/^%/, ''), value: col.caption ?? '', oninput: (e) => setCol(shown, 'caption', e.target.value) }), `cap-${i}`),
        type === 'real' || unknown || (dec !== undefined) ? decimalsInput(shown, dec, (v) => setCol(shown, 'decimals', v), `dec-${i}`) : null) : null,
      tw.map((w) => h('div', { class: 'warning inline' }, w.text, w.cure ? h('div', { class: 'cure' }, 'Cure: ', w.cure) : null)));
  });
  const list = h('ol', { class: 'tuples', 'aria-label': `Tuples of ${band.name}` }, rows);
  dropTarget(list, (token, e) => {
    const li = e.target.closest('li.tuple');
    const at = li ? Number(li.dataset.index) : tuples.length;
    ctx.addField(token, band.path, at);
  });
  return h('fieldset', { class: 'panel' }, h('legend', {}, 'Tuples'),
    tuples.length ? list : h('div', {}, list, h('p', { class: 'muted drop-hint' }, 'No tuples yet: click a field on the left (or drag it here) to show it.')),
    tuples.some((t) => !M.directiveOf(t[0]) && t[0].startsWith('%')) ? h('p', { class: 'hint' }, 'Caption: the column heading (blank: derived from the token). Decimals: 0 to 15, blank for as many as the values show.') : null);
}

function decimalsInput(token, dec, set, key, inTable = false) {
  if (dec !== undefined && typeof dec === 'object') return h('span', { class: 'muted' }, 'decimals per unit (edit in JSON)');
  const input = h('input', { type: 'number', min: 0, max: 15, step: 1, class: 'dec', placeholder: 'auto', value: dec ?? '',
    oninput: (e) => {
      const s = e.target.value.trim();
      if (s === '') return set(null);
      const n = Number(s);
      if (Number.isInteger(n) && n >= 0 && n <= 15) { e.target.setCustomValidity(''); set(n); }
      else e.target.setCustomValidity('0 to 15');
    } });
  return inTable ? labelled(`Decimals of ${token}`, input, { hidden: true, key }) : short('Decimals', token, input, key);
}

// A visible short label whose full name says the token: "Caption of %PNum".
function short(what, token, control, key) {
  const [label] = labelled('', control, { key });
  label.className = 'lbl short';
  label.append(what, h('span', { class: 'sr' }, ` of ${token}`));
  return [label, control];
}

function labelPanel(ctx, node, edit) {
  const name = h('input', { type: 'text', value: 'Title' });
  const text = h('input', { type: 'text', placeholder: 'e.g. Steel frame, hall 1' });
  return h('fieldset', { class: 'panel' }, h('legend', {}, 'Fixed label'),
    h('div', { class: 'row' }, labelled('Label name', name, { key: 'label-name', draft: true }), labelled('Label text', text, { key: 'label-text', draft: true }),
      h('button', { type: 'button', onclick: () => { const label = [name.value.trim(), text.value]; if (label[0]) { text.value = ''; edit((n) => { M.tuplesOf(n).push(label); }); } } }, 'Add label')),
    h('p', { class: 'hint' }, 'A token no part has keeps its text: the report header\'s first label is the title.'));
}

function templatePanel(ctx) {
  const { model, session } = ctx;
  const tree = model.tree;
  const units = Array.isArray(tree.tokenUnits) ? tree.tokenUnits : [];
  const setUnits = (fn) => model.edit((t) => { const l = Array.isArray(t.tokenUnits) ? t.tokenUnits : []; fn(l); M.setTokenUnits(t, l); });
  const kindSelect = (v, onchange) => h('select', { onchange }, session.unitKinds.map((k) => h('option', { value: k, selected: k === v }, k)),
    v && !session.unitKinds.includes(v) ? h('option', { value: v, selected: true }, v) : null);
  const addTok = h('input', { type: 'text', list: 'token-list', placeholder: 'Span', size: 10 });
  const addKind = kindSelect(session.unitKinds[0]);
  const shown = M.shownTokens(tree);
  const cols = tree.columns || {};
  const colTokens = [...shown.filter((t) => t.startsWith('%')), ...Object.keys(cols).filter((k) => !shown.includes(k))];
  return [
    h('div', { class: 'panel-head' }, h('h2', { id: 'panel-title' }, 'Template'), h('code', { class: 'type' }, tree.type || 'kBomTemplate')),
    h('fieldset', { class: 'panel' }, h('legend', {}, 'Columns'),
      colTokens.length ? h('table', { class: 'cols' }, h('thead', {}, h('tr', {}, h('th', {}, 'Token'), h('th', {}, 'Caption'), h('th', {}, 'Decimals'), h('th', {}, ''))),
        h('tbody', {}, colTokens.map((tok, i) => {
          const col = cols[tok] || {};
          return h('tr', {}, h('td', {}, h('code', {}, tok), shown.includes(tok) ? null : h('span', { class: 'tag' }, 'used by no tuple')),
            h('td', {}, labelled(`Caption of ${tok}`, h('input', { type: 'text', value: col.caption ?? '', placeholder: tok.replace(/^%/, ''), oninput: (e) => model.edit((t) => { M.setColumn(t, tok, 'caption', e.target.value); }) }), { hidden: true, key: `tcap-${i}` })),
            h('td', {}, decimalsInput(tok, col.decimals, (v) => model.edit((t) => { M.setColumn(t, tok, 'decimals', v); }), `tdec-${i}`, true)),
            h('td', {}, cols[tok] ? h('button', { type: 'button', class: 'icon', 'aria-label': `Clear column ${tok}`, title: 'Clear caption and decimals', onclick: () => model.edit((t) => { delete t.columns[tok]; if (!Object.keys(t.columns).length) delete t.columns; }) }, '✕') : null));
        }))) : h('p', { class: 'muted' }, 'No tokens shown yet.')),
    h('fieldset', { class: 'panel' }, h('legend', {}, 'Token units'),
      units.length ? h('ul', { class: 'keys' }, units.map((u, i) => h('li', { class: 'row' },
        h('code', {}, String(u[0])),
        labelled(`Unit kind of ${u[0]}`, kindSelect(u[1], (e) => setUnits((l) => { l[i] = [l[i][0], e.target.value]; })), { hidden: true, key: `unit-${i}` }),
        h('button', { type: 'button', class: 'icon', 'aria-label': `Remove unit of ${u[0]}`, onclick: () => setUnits((l) => l.splice(i, 1)) }, '✕')))) : null,
      h('div', { class: 'row' }, labelled('Token', addTok, { key: 'unit-tok', draft: true }), labelled('Unit kind', addKind, { key: 'unit-kind', draft: true }),
        h('button', { type: 'button', onclick: () => { const t = addTok.value.trim(); if (t) { addTok.value = ''; setUnits((l) => l.push([t, addKind.value])); } } }, 'Add unit')),
      h('p', { class: 'hint' }, 'Gives a token of your own a unit kind, so that its numbers are shown in the report\'s units.')),
  ];
}

export function dropTarget(el, onDrop) {
  el.addEventListener('dragover', (e) => { if (e.dataTransfer.types.includes('application/x-bom-token')) { e.preventDefault(); el.classList.add('drop'); } });
  el.addEventListener('dragleave', () => el.classList.remove('drop'));
  el.addEventListener('drop', (e) => {
    el.classList.remove('drop');
    const token = e.dataTransfer.getData('application/x-bom-token');
    if (token) { e.preventDefault(); onDrop(token, e); }
  });
}
