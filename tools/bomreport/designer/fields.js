// The field list: the catalogue's tokens and the parts file's own columns,
// with their types and how many parts carry them. A click adds the field to
// the selected band; a field can also be dragged onto a band or a tuple.
import { h, labelled } from './dom.js';

export function fieldList(session) {
  const inCat = new Map(session.catalogue.map((c) => [c.token, c.type]));
  const list = session.fields.map((f) => ({ token: f.token, type: f.type, parts: f.parts, own: !inCat.has(f.token) }));
  for (const c of session.catalogue) if (!list.some((f) => f.token === c.token)) list.push({ token: c.token, type: c.type, parts: null, own: false });
  return list;
}

export function renderFields(ctx, filter) {
  const { session } = ctx;
  const q = filter.trim().toLowerCase();
  const list = fieldList(session).filter((f) => !q || f.token.toLowerCase().includes(q));
  const total = session.data.parts;
  const groups = [
    ['In the parts file', list.filter((f) => f.parts !== null && !f.own)],
    ['The file\'s own columns (not in the catalogue)', list.filter((f) => f.own)],
    ['Catalogue, not in the file', list.filter((f) => f.parts === null)],
  ].filter(([, fs]) => fs.length);
  if (!groups.length) return h('p', { class: 'muted small pad' }, 'No field matches.');
  return groups.map(([title, fs]) => [h('h3', { class: 'field-group' }, title), fieldItems(ctx, fs, total)]);
}

function fieldItems(ctx, list, total) {
  return h('ul', { class: 'fields' }, list.map((f) => h('li', {},
    h('button', { type: 'button', class: 'field' + (f.parts === null ? ' absent' : ''), draggable: 'true', 'aria-label': `Add field ${f.token}`,
      title: `Add ${f.token} to the selected band` + (f.parts === null ? ' (no column in the parts file: filled in, or blank)' : ''),
      ondragstart: (e) => { e.dataTransfer.setData('application/x-bom-token', f.token); e.dataTransfer.setData('text/plain', f.token); e.dataTransfer.effectAllowed = 'copy'; },
      onclick: () => ctx.addField(f.token) },
    h('code', {}, f.token),
    h('span', { class: `ftype t-${f.type}` }, f.type),
    h('span', { class: 'count' }, f.parts === null ? 'not in file' : f.parts === total ? `${f.parts}` : `${f.parts} of ${total}`)))));
}

export function fieldFilter(onInput) {
  return labelled('Filter fields', h('input', { type: 'search', placeholder: '%Weight', oninput: (e) => onInput(e.target.value) }), { key: 'field-filter' });
}
