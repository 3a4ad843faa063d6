// The designer page: loads the session, wires the views to the model and
// the model to the live preview, saving and the downloads.
import * as api from './api.js';
import { parse } from './json.js';
import { h, rerender } from './dom.js';
import * as M from './model.js';
import { renderTree } from './tree.js';
import { renderPanels, warningItem } from './panels.js';
import { renderFields, fieldFilter } from './fields.js';
import { Previewer } from './preview.js';

const $ = (id) => document.getElementById(id);
const same = (a, b) => Array.isArray(a) && Array.isArray(b) && a.length === b.length && a.every((x, i) => x === b[i]);
const plural = (n, w) => `${n} ${w}${n === 1 ? '' : 's'}`;

// A note that floats over the page: a success fades after a while, a failure
// stays until it is closed.
let statusTimer = null;
function showStatus(text, kind = '') {
  const s = $('status');
  clearTimeout(statusTimer);
  s.hidden = false; s.className = `status ${kind}`;
  s.replaceChildren(h('span', {}, text), h('button', { type: 'button', class: 'link', onclick: () => { s.hidden = true; } }, 'Close'));
  if (kind === 'ok') statusTimer = setTimeout(() => { s.hidden = true; }, 8000);
}

async function main() {
  let session;
  try { session = await api.session(); } catch (e) {
    showStatus(`The designer cannot reach its server: ${e.message}. Start it again with "bomreport serve".`, 'bad');
    return;
  }
  const model = new M.Model(session.template);
  const closed = new Set();
  const openWarnings = (path, open) => { const k = path.join('.'); if (open !== undefined) { if (open) closed.delete(k); else closed.add(k); } return !closed.has(k); };
  const ctx = { model, session, warnings: [], addField, openWarnings };
  let fieldQuery = '';
  let savedText = model.text();

  // --- head
  $('template-name').textContent = session.templateName || 'new template';
  $('template-name').title = session.savePath ? `saves to ${session.savePath}` : 'no file to save to';
  const d = session.data;
  $('data-info').textContent = d.sample ? 'built-in sample parts' : `${d.name} · ${plural(d.parts, 'part')}`;
  $('save').disabled = !session.canSave;
  $('save').title = session.canSave ? `Save to ${session.savePath} (Ctrl+S)` : 'Start the server with --template or --save-to to save';
  const offered = ['pdf', 'xlsx', 'csv', 'json', 'html'];
  $('downloads').replaceChildren(...session.formats.filter((f) => offered.includes(f.name.toLowerCase())).map((f) => h('button', { type: 'button', 'aria-label': `Download ${f.name.toUpperCase()}`, title: f.description || f.extension,
    onclick: () => download(f) }, f.name.toUpperCase())));
  $('token-list').replaceChildren(...[...session.fields, ...session.catalogue].map((t) => h('option', { value: t.token })));
  dataNote(session.data.previewParts ?? d.parts, d.parts);

  function dataNote(shown, total) {
    const bits = [];
    if (d.sample) bits.push('No parts file (--data): the preview shows the engine\'s built-in sample parts, random figures that show the layout only.');
    if (shown < total) bits.push(`preview of the first ${shown} of ${total} parts`);
    $('data-note').textContent = bits.join(' · ');
    $('data-note').hidden = !bits.length;
  }

  // --- views
  const fieldsFilter = fieldFilter((q) => { fieldQuery = q; rerender($('fields'), () => renderFields(ctx, fieldQuery)); });
  $('field-filter').replaceChildren(...fieldsFilter);
  function renderAll() {
    rerender($('tree'), () => renderTree(ctx));
    rerender($('panels'), () => renderPanels(ctx));
    const placed = new Set(M.bands(model.tree).map((b) => b.path.join('.')));
    const general = ctx.warnings.filter((w) => !Array.isArray(w.section) || !placed.has(w.section.join('.')));
    $('general-warnings').hidden = !general.length;
    $('general-warnings').replaceChildren(...general.map((w) => warningItem(w, Array.isArray(w.section) ? `section ${w.section.join('.')}` : '')));
    const n = ctx.warnings.length;
    $('warning-count').hidden = !n;
    $('warning-count').textContent = plural(n, 'warning');
    $('dirty').hidden = model.text() === savedText;
  }
  rerender($('fields'), () => renderFields(ctx, fieldQuery));

  function addField(token, path = model.selected, at) {
    let target = path;
    if (!target.length) { const ls = M.levels(model.tree); if (!ls.length) return; target = ls[ls.length - 1].path; }
    model.edit((t) => {
      const n = M.nodeAt(t, target);
      const tuples = M.tuplesOf(n);
      const tuple = [token, M.startValue(M.typeOf(session, token))];
      tuples.splice(at === undefined ? tuples.length : at, 0, tuple);
      return target;
    });
  }

  // --- JSON view: both ways
  const json = $('json');
  json.value = model.text();
  json.addEventListener('input', () => {
    let tree;
    try { tree = parse(json.value); } catch (e) { return jsonError(`Not valid JSON, ${e.message}`); }
    const why = M.checkShape(tree);
    if (why) return jsonError(`Not a template the designer can show: ${why}`);
    jsonError(null);
    model.set(tree, 'json');
  });
  function jsonError(text) { $('json-error').hidden = !text; $('json-error').textContent = text || ''; json.classList.toggle('invalid', !!text); }

  // --- preview
  let shownHtml = false;
  const previewer = new Previewer({
    text: () => model.text(),
    onTiming: (ms) => { $('timing').textContent = `preview ${ms} ms`; },
    onResult: (r, text) => {
      $('preview-error').hidden = true; $('stale').hidden = true; $('preview').classList.remove('stale');
      $('preview').srcdoc = r.html; shownHtml = true;
      ctx.warnings = Array.isArray(r.warnings) ? r.warnings : [];
      if (document.activeElement !== json && text === model.text() && typeof r.text === 'string') { json.value = r.text; jsonError(null); }
      if (typeof r.previewParts === 'number' && typeof r.parts === 'number') dataNote(r.previewParts, r.parts);
      renderAll();
    },
    onError: (e) => {
      const err = $('preview-error');
      err.hidden = false;
      err.replaceChildren(h('strong', {}, e.status === 422 ? 'The engine refuses this template: ' : 'No preview: '), h('code', {}, e.message),
        shownHtml ? h('div', { class: 'small' }, 'The report below is the last good preview.') : null);
      $('stale').hidden = !shownHtml; $('preview').classList.toggle('stale', shownHtml);
    },
  });

  model.addEventListener('change', (e) => {
    const origin = e.detail.origin;
    renderAll();
    if (origin === 'select') return;
    if (origin !== 'json') { json.value = model.text(); jsonError(null); }
    previewer.request();
  });

  // --- tabs
  const tabs = [[$('tab-preview'), $('preview-pane')], [$('tab-json'), $('json-pane')]];
  for (const [tab] of tabs) tab.addEventListener('click', () => {
    for (const [t, p] of tabs) { t.setAttribute('aria-selected', String(t === tab)); p.hidden = t !== tab; }
  });
  $('warning-count').addEventListener('click', () => { $('tab-preview').click(); const w = document.querySelector('.band.warned .band-name, #general-warnings li'); w?.scrollIntoView({ block: 'nearest' }); });

  // --- band tree actions
  $('add-level').addEventListener('click', () => model.edit((t) => M.addGroupLevel(t)));

  // --- save and download
  async function saveNow() {
    if (!session.canSave) return;
    const text = model.text();
    $('save').disabled = true;
    try {
      const r = await api.save(text);
      savedText = text;
      showStatus(`Saved to ${r.saved} (${plural(r.bytes, 'byte')}).`, 'ok');
    } catch (e) { showStatus(`Not saved: ${e.message}`, 'bad'); }
    $('save').disabled = false;
    renderAll();
  }
  $('save').addEventListener('click', saveNow);
  document.addEventListener('keydown', (e) => { if ((e.ctrlKey || e.metaKey) && e.key === 's') { e.preventDefault(); saveNow(); } });
  window.addEventListener('beforeunload', (e) => { if (model.text() !== savedText) e.preventDefault(); });

  async function download(f) {
    try {
      const { blob, filename } = await api.report(f.name, model.text());
      const a = h('a', { href: URL.createObjectURL(blob), download: filename });
      document.body.append(a); a.click(); a.remove();
      setTimeout(() => URL.revokeObjectURL(a.href), 10000);
    } catch (e) { showStatus(`No ${f.name.toUpperCase()} report: ${e.message}`, 'bad'); }
  }

  renderAll();
  previewer.request();
}

main();
