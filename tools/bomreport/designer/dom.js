// A small element builder and the focus keeper the views share.
export function h(tag, props = {}, ...kids) {
  const el = document.createElement(tag);
  for (const [k, v] of Object.entries(props)) {
    if (v === undefined || v === null || v === false) continue;
    if (k.startsWith('on')) el.addEventListener(k.slice(2), v);
    else if (k === 'class') el.className = v;
    else if (k === 'dataset') Object.assign(el.dataset, v);
    else if (k in el && typeof v !== 'string') el[k] = v;
    else el.setAttribute(k, v === true ? '' : v);
  }
  for (const kid of kids.flat(Infinity)) if (kid !== null && kid !== undefined && kid !== false) el.append(kid instanceof Node ? kid : String(kid));
  return el;
}

let uid = 0;
// A control with its <label>; key names it across re-renders (focus).
export function labelled(text, control, { hidden = false, key, draft = false } = {}) {
  control.id ||= `c${++uid}`;
  if (key) control.dataset.key = key;
  if (draft) control.dataset.draft = '';
  const label = h('label', { for: control.id, class: hidden ? 'sr' : 'lbl' }, text);
  return control.type === 'checkbox' ? [control, label] : [label, control];
}

// Re-renders a container without losing the caret of the control being typed in.
export function rerender(container, build) {
  const a = document.activeElement;
  const key = a && container.contains(a) ? a.dataset.key : null;
  const sel = key && 'selectionStart' in a ? [a.selectionStart, a.selectionEnd] : null;
  const scroll = container.scrollTop;
  // What is typed into controls marked data-draft (not yet in the template) survives too.
  const drafts = new Map([...container.querySelectorAll('[data-draft]')].map((e) => [e.dataset.key, e.value]));
  container.replaceChildren(...[build()].flat(Infinity).filter((n) => n !== null && n !== undefined && n !== false));
  for (const e of container.querySelectorAll('[data-draft]')) if (drafts.has(e.dataset.key)) e.value = drafts.get(e.dataset.key);
  container.scrollTop = scroll;
  if (key) {
    const b = container.querySelector(`[data-key="${CSS.escape(key)}"]`);
    if (b) { b.focus(); if (sel) try { b.setSelectionRange(...sel); } catch { /* not a text field */ } }
  }
}

export function tokenOptions(session, selected, extra = []) {
  const inFile = session.fields.map((f) => f.token);
  const cat = session.catalogue.map((c) => c.token).filter((t) => !inFile.includes(t));
  const opt = (t) => h('option', { value: t, selected: t === selected }, t);
  const known = new Set([...inFile, ...cat]);
  return [
    ...extra,
    h('optgroup', { label: 'In the parts file' }, inFile.map(opt)),
    h('optgroup', { label: 'Catalogue (not in the file)' }, cat.map(opt)),
    selected && !known.has(selected) ? h('optgroup', { label: 'Other' }, opt(selected)) : null,
  ];
}
