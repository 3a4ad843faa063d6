// The server's JSON API. Every url is relative, so it keeps the session's
// token; every body is the template's JSON text.
import { parse } from './json.js';

async function send(path, body) {
  const res = await fetch(path, { method: 'POST', headers: { 'Content-Type': 'application/json' }, body });
  return res;
}
async function answer(res) {
  const text = await res.text();
  let body = null;
  try { body = parse(text); } catch { /* not JSON */ }
  if (!res.ok) {
    const why = body && typeof body.error === 'string' ? body.error : text.trim() || res.statusText;
    const err = new Error(why); err.status = res.status; throw err;
  }
  if (!body) throw new Error('the server sent no JSON');
  return body;
}

// The session keeps the template's reals as Real (see json.js).
export async function session() { return answer(await fetch('./api/session')); }
export async function preview(text) { return answer(await send('./api/preview', text)); }
export async function save(text) { return answer(await send('./api/save', text)); }

// The report as a file: resolves to {blob, filename}.
export async function report(format, text) {
  const res = await send(`./api/report?format=${encodeURIComponent(format)}`, text);
  if (!res.ok) await answer(res);
  const cd = res.headers.get('Content-Disposition') || '';
  const m = /filename\*?=(?:UTF-8'')?"?([^";]+)"?/i.exec(cd);
  return { blob: await res.blob(), filename: m ? decodeURIComponent(m[1]) : `report.${format}` };
}
