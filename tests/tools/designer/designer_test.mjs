// End-to-end test of the template designer (`bomreport serve`): Debian's
// chromium, driven as a person would drive the page, against the real server.
//
//   node designer_test.mjs --bin PATH/bomreport --source SRC --work DIR
//                          [--screenshots DIR] [--node-modules DIR]
//
// playwright-core is loaded from --node-modules DIR when given, else from the
// first folder of NODE_PATH (e.g. NODE_PATH=BUILD/tests/tools/designer-node/node_modules).
import { createRequire } from 'node:module';
import { spawn, execFileSync } from 'node:child_process';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

const arg = (name) => { const i = process.argv.indexOf(name); return i > 0 ? process.argv[i + 1] : undefined; };
const bin = arg('--bin'), source = arg('--source'), work = arg('--work'), shots = arg('--screenshots');
const modules = arg('--node-modules') || (process.env.NODE_PATH || '').split(path.delimiter)[0];
if (!bin || !source || !work || !modules) { console.error('usage: designer_test.mjs --bin BIN --source SRC --work DIR [--screenshots DIR] [--node-modules DIR]'); process.exit(2); }
const { chromium } = createRequire(path.join(path.resolve(modules), 'x.js'))('playwright-core');
const ex = (f) => path.join(source, 'examples', f);
const exampleText = fs.readFileSync(ex('position-list.json'), 'utf8');
const example = JSON.parse(exampleText);
fs.rmSync(work, { recursive: true, force: true });
fs.mkdirSync(work, { recursive: true });
const servers = [];

function serve(...args) {
  const proc = spawn(bin, ['serve', '--port', '0', ...args], { stdio: ['ignore', 'pipe', 'inherit'] });
  servers.push(proc);
  return new Promise((resolve, reject) => {
    let out = '';
    proc.stdout.on('data', (d) => { out += d; const m = /designer: (http:\/\/127\.0\.0\.1:\d+\/\S+\/)\n/.exec(out); if (m) resolve({ url: m[1], proc }); });
    proc.on('exit', (code) => reject(new Error(`bomreport serve ended (${code}) before printing its url: ${out}`)));
  });
}
function stop(s) { s.proc.kill(); return new Promise((r) => s.proc.once('exit', r)); }
function get(url, headers = {}) {
  return new Promise((resolve, reject) => {
    http.get(url, { headers }, (res) => { res.resume(); res.on('end', () => resolve(res.statusCode)); }).on('error', reject);
  });
}
// The report of a template over the example parts, without lines naming the template file.
function report(template, format, data = ex('steel-parts.csv')) {
  const out = execFileSync(bin, ['--template', template, '--data', data, '--format', format, '--date', '2026-01-01', '-o', '-'], { stdio: ['ignore', 'pipe', 'ignore'] }).toString();
  return out.split('\n').filter((l) => !l.includes(path.basename(template))).join('\n');
}
async function until(what, fn, ms = 30000) {  // a sanitizer build is slow
  const end = Date.now() + ms;
  for (;;) { const v = await fn(); if (v) return v; if (Date.now() > end) throw new Error(`timed out waiting for ${what}`); await new Promise((r) => setTimeout(r, 50)); }
}
let step = 0;
const ok = (what) => console.log(`ok ${++step} - ${what}`);

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
try {
  let page = await browser.newPage({ viewport: { width: 1400, height: 900 }, acceptDownloads: true });
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  const button = (name) => page.getByRole('button', { name, exact: true });
  const band = (name) => page.locator('li.band', { has: button(name) });
  const frameText = (sel) => page.frameLocator('#preview').locator(sel).first().textContent();
  const previewed = () => page.waitForResponse((r) => r.url().endsWith('/api/preview'));

  // 1. The position list, built on a new template through the page alone.
  const newFile = path.join(work, 'new.json');
  fs.writeFileSync(newFile, '{"type": "kBomTemplate", "children": [{"type": "kReportHeader", "children": [{"type": "kDetails"}]}, {"type": "kReportFooter"}]}\n');
  let server = await serve('--data', ex('steel-parts.csv'), '--template', newFile);
  await page.goto(server.url);
  await button('Report header').click();
  const [filter, title] = example.children[0].tuples;
  for (const code of filter[0].replace('%FilterBy:', '').split(',')) await page.getByRole('checkbox', { name: new RegExp(`^${code.trim()} `) }).check();
  await page.getByLabel('Label name').fill(title[0]);
  await page.getByLabel('Label text').fill(title[1]);
  const titled = previewed();
  await button('Add label').click();
  await titled;
  // 4. The preview follows an edit.
  await until('the title in the preview', async () => (await frameText('h1')) === title[1]);
  ok('the preview shows the title just added');

  await button('Details').click();
  const [sort, ...shown] = example.children[0].children[0].tuples;
  for (const [token] of shown) await button(`Add field ${token}`).click();
  await page.getByLabel('Add sort key').selectOption(sort[0].replace('%SortAscBy:', ''));
  await button('Add sort').click();
  for (const [token, col] of Object.entries(example.columns)) {
    await page.getByLabel(`Caption of ${token}`, { exact: true }).fill(col.caption);
    if ('decimals' in col) await page.getByLabel(`Decimals of ${token}`, { exact: true }).fill(String(col.decimals));
  }
  await button('Report footer').click();
  // Each sum is waited for before the next: the panel is drawn anew after each edit.
  for (const [i, [sum]] of example.children[1].tuples.entries()) {
    await page.getByLabel('Sum of').selectOption(sum.replace('%SumBy:', ''));
    await button('Add sum').click();
    const shown = `${i + 1} sum${i > 0 ? 's' : ''}`;
    await until(`${shown} in the tree`, () => band('Report footer').locator('.summary').textContent().then((t) => t === shown));
  }
  assert.equal(await band('Report footer').locator('.summary').textContent(), '2 sums');
  await button('Details').click();
  await until('the sums in the preview', () => page.frameLocator('#preview').getByText('Σ Total').count());
  await page.locator('#fields').hover();
  await page.mouse.wheel(0, -20000);
  await page.mouse.move(700, 890);
  if (shots) await page.screenshot({ path: path.join(shots, 'designer.png') });
  await button('Save').click();
  const saved = (await until('the save', () => page.getByRole('status').locator('span').textContent().then((t) => /^Saved to /.test(t) && t))).replace(/^Saved to (.*) \(\d+ bytes\)\.$/, '$1');
  assert.equal(saved, newFile);
  await page.getByRole('status').getByRole('button', { name: 'Close' }).click();
  ok('saved to the template file');

  // 2. The saved template is the example: same file, same reports.
  assert.equal(fs.readFileSync(saved, 'utf8'), execFileSync(bin, ['--template', ex('position-list.json'), '--export-template']).toString());
  for (const format of ['csv', 'text']) assert.equal(report(saved, format), report(ex('position-list.json'), format), format);
  const [download] = await Promise.all([page.waitForEvent('download'), button('Download CSV').click()]);
  assert.equal(fs.readFileSync(await download.path(), 'utf8'), report(ex('position-list.json'), 'csv'));
  ok('the saved template and the downloaded CSV give the example\'s report');

  // 6. The JSON view and the model follow each other; a group level comes and goes.
  await page.getByRole('tab', { name: 'Template JSON' }).click();
  const json = page.getByLabel(/^The template file/);
  assert.equal(await json.inputValue(), exampleText);
  await button('Add group level').click();
  assert.deepEqual(await page.locator('.band-name').allTextContents(), ['Template', 'Report header', 'Group header 1', 'Details', 'Group footer 1', 'Report footer']);
  await button('Remove level').click();
  await until('the text after the level went', () => json.inputValue().then((t) => t === exampleText));
  await json.fill(exampleText.replace('"%FilterBy: 1, 2, 3, 4"', '"%FilterBy: 4"'));
  await until('the tree to follow the text', () => band('Report header').locator('.summary').textContent().then((t) => t === 'types 4 · 1 shown'));
  await button('Report header').click();
  assert.equal(await page.getByRole('checkbox', { name: /^1 / }).isChecked(), false);
  await json.fill('{"type": "kBomTemplate",');
  await until('the parse error', () => page.getByRole('alert').filter({ hasText: 'Not valid JSON, line 1, column 25: unexpected end of text' }).isVisible());
  await json.fill('{"type": "kBomTemplate", "children": [{"type": "kDetailz"}]}');
  await page.getByRole('tab', { name: 'Preview' }).click();
  await until('the refusal', () => page.getByRole('alert').filter({ hasText: /^The engine refuses this template: .*kDetailz/ }).isVisible());
  assert.equal(await page.locator('#stale').textContent(), 'out of date');
  assert.equal(await frameText('h1'), title[1]);
  await page.getByRole('tab', { name: 'Template JSON' }).click();
  ok('the JSON view edits the tree; its parse errors and the engine\'s refusals are shown');

  // 3. A sum that leaves rows out is warned of at its section.
  const repeats = { type: 'kBomTemplate', children: [{ type: 'kReportHeader', children: [{ type: 'kDetails', tuples: [['%Name', '']] }] }, { type: 'kReportFooter', tuples: [['%SumBy:%Weight', 0]] }] };
  await json.fill(JSON.stringify(repeats));
  const warned = page.locator('li.band.warned').filter({ has: page.locator('li.warning', { hasText: 'leave out 124 rows' }) });
  await until('the warning at its band', () => warned.count().then((n) => n === 1));
  assert.equal(await warned.locator('.band-name').textContent(), 'Details');
  assert.match(await page.locator('#warning-count').textContent(), /^\d+ warnings?$/);
  await page.getByRole('tab', { name: 'Preview' }).click();
  await button('Details').click();
  await page.locator('#fields').hover();
  await page.mouse.wheel(0, -20000);
  await page.mouse.move(700, 890);
  if (shots) await page.screenshot({ path: path.join(shots, 'warning.png') });
  ok('the warning is shown at the Details band');

  // 5. No token, or a foreign Host: refused.
  const u = new URL(server.url);
  assert.equal(await get(`${u.origin}/api/session`), 403);
  assert.equal(await get(`${u.origin}/nottoken/api/session`), 403);
  assert.equal(await get(`${server.url}api/session`), 200);
  assert.equal(await get(`${server.url}api/session`, { Host: `attacker.example:${u.port}` }), 403);
  ok('requests without the token or from a foreign host are refused');
  await stop(server);

  // 7. Preview times on a model of 10,000 parts.
  const lines = fs.readFileSync(ex('steel-parts.csv'), 'utf8').trim().split('\n');
  const split = (l) => l.split(/,(?=(?:[^"]*"[^"]*")*[^"]*$)/); // commas outside quotes
  const head = split(lines[0]), col = (n) => head.indexOf(n);
  const big = [lines[0]];
  for (let copy = 0; big.length <= 10000; copy++) {
    for (const l of lines.slice(1)) {
      if (big.length > 10000) break;
      const f = split(l);
      f[col('#handle')] = `${copy}-${f[col('#handle')]}`;
      f[col('#equal')] = f[col('#equal')] && f[col('#equal')].split(';').map((h) => `${copy}-${h}`).join(';');
      f[col('%ElementID')] = `${f[col('%ElementID')]}-${copy}`;
      big.push(f.join(','));
    }
  }
  fs.writeFileSync(path.join(work, 'parts-10k.csv'), big.join('\n') + '\n');
  server = await serve('--data', path.join(work, 'parts-10k.csv'), '--template', ex('position-list.json'));
  await page.close(); // unsaved changes: a new page rather than leaving this one
  page = await browser.newPage({ viewport: { width: 1400, height: 900 } });
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(server.url);
  await until('the first preview', () => page.evaluate(() => window.designerTimings.length === 1));
  await button('Report header').click();
  const plates = page.getByRole('checkbox', { name: /^3 / });
  for (let i = 0; i < 12; i++) {
    const p = previewed();
    await plates.setChecked(i % 2 === 1);
    await p;
  }
  const ms = await until('the timings', () => page.evaluate(() => window.designerTimings.length >= 13 && window.designerTimings));
  const sorted = [...ms].sort((a, b) => a - b);
  assert.match(await page.locator('#timing').textContent(), /^preview \d+ ms$/);
  console.log(`preview ms: median ${sorted[sorted.length >> 1]}, max ${sorted[sorted.length - 1]}`);
  ok('preview times on 10,000 parts');
  assert.deepEqual(errors, []);
  await stop(server);
} finally {
  for (const s of servers) s.kill();
  await browser.close();
}
