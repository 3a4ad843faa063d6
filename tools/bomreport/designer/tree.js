// The band tree: the template's sections in report order, indented by level,
// each with the warnings that name it. Fields dropped on a band join it.
import { h } from './dom.js';
import * as M from './model.js';
import { dropTarget } from './panels.js';

const same = (a, b) => Array.isArray(a) && Array.isArray(b) && a.length === b.length && a.every((x, i) => x === b[i]);

function summary(node, session) {
  const t = node.tuples || [];
  const bits = [];
  for (const [tok] of t) {
    const d = M.directiveOf(tok);
    if (d === '%GroupBy:') bits.push(`by ${tok.slice(9)}`);
    if (d === '%FilterBy:') bits.push(`types ${M.parseFilter(tok).join(', ')}`);
  }
  const sums = t.filter(([tok]) => M.directiveOf(tok) === '%SumBy:').length;
  const shown = t.filter(([tok]) => !M.directiveOf(tok)).length;
  if (shown) bits.push(`${shown} shown`);
  if (sums) bits.push(`${sums} sum${sums > 1 ? 's' : ''}`);
  return bits.join(' · ');
}

export function renderTree(ctx) {
  const { model, session } = ctx;
  const all = M.bands(model.tree);
  const items = [h('li', { class: 'band root' + (model.selected.length ? '' : ' selected'), dataset: { path: '' } },
    h('button', { type: 'button', class: 'band-name', 'aria-current': model.selected.length ? null : 'true', onclick: () => model.select([]) }, 'Template'),
    h('span', { class: 'summary' }, 'columns, token units'))];
  for (const b of all) {
    const ws = ctx.warnings.filter((w) => same(w.section, b.path));
    const sel = same(b.path, model.selected);
    const li = h('li', { class: `band ${b.role}${sel ? ' selected' : ''}${ws.length ? ' warned' : ''}`, style: `--level:${b.level}`, dataset: { path: b.path.join('.'), type: b.node.type || '' } },
      h('button', { type: 'button', class: 'band-name', 'aria-current': sel ? 'true' : null, onclick: () => model.select(b.path) }, b.name),
      h('span', { class: 'summary' }, summary(b.node, session)),
      ws.length ? h('details', { class: 'band-warnings', open: ctx.openWarnings(b.path), ontoggle: (e) => ctx.openWarnings(b.path, e.target.open) },
        h('summary', {}, `⚠ ${ws.length} warning${ws.length > 1 ? 's' : ''}`),
        h('ul', { class: 'warnings', 'aria-label': `Warnings of ${b.name}` }, ws.map((w) => h('li', { class: 'warning', title: [w.text, w.cure].filter(Boolean).join('\n'), dataset: { kind: w.kind } },
          h('span', { class: 'text' }, w.text), w.cure ? h('div', { class: 'cure' }, 'Cure: ', w.cure) : null)))) : null);
    dropTarget(li, (token) => ctx.addField(token, b.path));
    items.push(li);
  }
  return h('ol', { class: 'bands', 'aria-label': 'Bands' }, items);
}
