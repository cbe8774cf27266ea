// The browser editor in real Chromium: tidewise serve on a copy of the
// example catalog with a fresh TIDEWISE_HOME, driven as a person would, with
// a screenshot of every step kept in the build folder.
//
//   node --test tests/browser/editor.test.mjs
//   environment: TIDEWISE_BIN (the tidewise tool), TIDEWISE_ARTIFACTS (screenshots),
//                CHROMIUM (default /usr/bin/chromium)

import { after, before } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { isDeepStrictEqual } from 'node:util';
import { chromium } from 'playwright-core';
import { showingTest } from './harness.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const source = path.resolve(here, '..', '..');
const tool = process.env.TIDEWISE_BIN || path.join(source, 'build', 'bin', 'tidewise');
const artifacts = process.env.TIDEWISE_ARTIFACTS || path.join(source, 'build', 'test-artifacts', 'browser');
const ITEM = 'coastal-dataset.xml';

let home, catalog, profile, server, address, port, token, context, page;
const test = showingTest(() => page);

// This run's scratch folders, named with its process so that the next run
// can remove those of a run that was killed before it could.
function scratchFolder(kind) {
  for (const name of fs.readdirSync(os.tmpdir())) {
    const match = /^tidewise-browser-(?:home|catalog|profile)-(\d+)-/.exec(name);
    if (!match) continue;
    try {
      process.kill(Number(match[1]), 0);
    } catch (error) {
      if (error.code === 'ESRCH') fs.rmSync(path.join(os.tmpdir(), name), { recursive: true, force: true });
    }
  }
  return fs.mkdtempSync(path.join(os.tmpdir(), `tidewise-browser-${kind}-${process.pid}-`));
}
let shot = 0;

async function screenshot(name) {
  shot += 1;
  await page.screenshot({ path: path.join(artifacts, `${String(shot).padStart(2, '0')}-${name}.png`), fullPage: true });
}

function startServer() {
  return new Promise((resolve, reject) => {
    const child = spawn(tool, ['serve', catalog, '--port', '0', '--dialog-timeout', '90'], {
      env: { ...process.env, TIDEWISE_HOME: home },
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let out = '';
    let err = '';
    const timer = setTimeout(() => reject(new Error(`tidewise serve printed no address: ${out}${err}`)), 30000);
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const found = /Open (http:\/\/127\.0\.0\.1:(\d+)\/\?token=([0-9a-f]+))/.exec(out);
      if (found) {
        clearTimeout(timer);
        resolve({ child, address: found[1], port: Number(found[2]), token: found[3] });
      }
    });
    child.stderr.on('data', (chunk) => { err += chunk; });
    child.on('exit', (code) => {
      clearTimeout(timer);
      reject(new Error(`tidewise serve ended (${code}): ${out}${err}`));
    });
  });
}

// A raw request, with whatever Host and headers the test chooses.
function raw(method, pathName, headers, body) {
  return new Promise((resolve, reject) => {
    const request = http.request({ host: '127.0.0.1', port, method, path: pathName, headers }, (response) => {
      let text = '';
      response.on('data', (chunk) => { text += chunk; });
      response.on('end', () => resolve({ status: response.statusCode, headers: response.headers, text }));
    });
    request.on('error', reject);
    if (body) request.write(body);
    request.end();
  });
}

const itemFile = () => fs.readFileSync(path.join(catalog, ITEM), 'utf8');

before(async () => {
  fs.mkdirSync(artifacts, { recursive: true });
  for (const old of fs.readdirSync(artifacts)) if (old.endsWith('.png')) fs.rmSync(path.join(artifacts, old));
  home = scratchFolder('home');
  catalog = scratchFolder('catalog');
  fs.copyFileSync(path.join(source, 'examples', ITEM), path.join(catalog, ITEM));
  ({ child: server, address, port, token } = await startServer());
  profile = scratchFolder('profile');
  context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    acceptDownloads: true,
    viewport: { width: 1360, height: 900 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  page = context.pages()[0] || await context.newPage();
  page.setDefaultTimeout(30000);
  page.on('pageerror', (error) => { throw error; });
});

after(async () => {
  if (context) await context.close();
  if (server) {
    server.kill('SIGINT');
    await new Promise((resolve) => server.once('exit', resolve));
  }
  for (const folder of [home, catalog, profile]) if (folder) fs.rmSync(folder, { recursive: true, force: true });
});

test('requests without the token or with a foreign Host are refused and change nothing', async () => {
  const before = itemFile();
  const json = JSON.stringify({ item: ITEM });
  const local = `127.0.0.1:${port}`;
  const cases = [
    { name: 'no token', method: 'POST', path: '/api/open-item', headers: { Host: local, 'Content-Type': 'application/json' }, body: json },
    { name: 'wrong token', method: 'POST', path: '/api/open-item', headers: { Host: local, 'Content-Type': 'application/json', 'X-Tidewise-Token': '0'.repeat(64) }, body: json },
    { name: 'foreign Host', method: 'POST', path: '/api/open-item', headers: { Host: `evil.example:${port}`, 'Content-Type': 'application/json', 'X-Tidewise-Token': token }, body: json },
    { name: 'foreign Origin', method: 'POST', path: '/api/open-item', headers: { Host: local, Origin: 'http://evil.example', 'Content-Type': 'application/json', 'X-Tidewise-Token': token }, body: json },
    { name: 'page without token', method: 'GET', path: '/', headers: { Host: local } },
    { name: 'page with foreign Host', method: 'GET', path: `/?token=${token}`, headers: { Host: 'attacker.example' } },
  ];
  for (const c of cases) {
    const answer = await raw(c.method, c.path, c.headers, c.body);
    assert.equal(answer.status, 403, `${c.name}: ${answer.text}`);
    assert.equal(answer.headers['access-control-allow-origin'], undefined, c.name);
  }
  const admitted = await raw('GET', `/?token=${token}`, { Host: local });
  assert.equal(admitted.status, 303);
  assert.match(admitted.headers['set-cookie'][0], /HttpOnly; SameSite=Strict/);
  assert.match(admitted.headers['content-security-policy'], /script-src 'self'/);
  assert.equal(itemFile(), before);
});

test('the catalog shows the item; the first start-up asks through the components\' message boxes', async () => {
  await page.goto(address);
  assert.equal(new URL(page.url()).search, '', 'the token leaves the address bar');
  // A fresh home: the registration switches off each synchronizer, telling the user.
  const boxes = [];
  for (let i = 0; i < 3; i++) {
    const box = page.locator('dialog.message-box');
    await box.waitFor();
    boxes.push(await box.locator('.prompt').textContent());
    if (i === 0) await screenshot('message-box');
    await box.getByRole('button', { name: 'OK' }).click();
    await page.waitForFunction((shown) => {
      const next = document.querySelector('dialog.message-box');
      return !next || next.querySelector('.prompt').textContent !== shown;
    }, boxes[i]);
  }
  assert.deepEqual(boxes.map((b) => b.startsWith('Disable the Synchronizer ')), [true, true, true]);
  const row = page.locator(`table.items tr[data-path="${ITEM}"]`);
  await row.waitFor();
  assert.match(await row.locator('.title').textContent(), /Shoreline position and cliff-top retreat/);
  assert.equal((await row.locator('.number').textContent()).trim(), '0');
  // The search goes to the catalog's index after a pause in the typing.
  const rows = (n) => page.waitForFunction((count) => document.querySelectorAll('table.items tbody tr').length === count, n);
  await page.fill('#filter', 'no such words');
  await rows(0);
  await page.fill('#filter', 'shoreline');
  await rows(1);
  await screenshot('catalog');
});

// An answer arrives before the page has drawn it: what the page shows is read
// until it is the expected value or a few seconds have passed, then compared.
async function settlesOn(read, expected) {
  let shown = await read();
  for (const until = Date.now() + 5000; !isDeepStrictEqual(shown, expected) && Date.now() < until;) {
    await new Promise((resolve) => setTimeout(resolve, 50));
    shown = await read();
  }
  assert.deepEqual(shown, expected);
}

async function openEntry(uniqueName) {
  const entry = page.locator(`#tree button.entry[data-unique="${uniqueName}"]`);
  const book = entry.locator('xpath=ancestor::li[@data-book]');
  if (await book.count() && await book.getAttribute('aria-expanded') !== 'true') await book.locator('.book-caption').click();
  await entry.click();
  await page.locator(`#page[data-page="${uniqueName}"]`).waitFor();
}

async function typeInto(control, text) {
  const input = page.locator(`#page [data-control="${control}"]`).locator('xpath=descendant-or-self::input[@type="text"] | descendant-or-self::textarea').first();
  const sent = page.waitForResponse((r) => r.url().endsWith('/api/edit'));
  await input.fill(text);
  await input.press('Tab');
  const answer = await sent;
  assert.equal(answer.status(), 200);
}

async function pick(control, item) {
  await page.locator(`#page [data-control="${control}"] .combo-button`).click();
  const sent = page.waitForResponse((r) => r.url().endsWith('/api/edit'));
  await page.locator('.combo-list li', { hasText: new RegExp(`^${item}$`) }).click();
  const answer = await sent;
  assert.equal(answer.status(), 200);
  const body = await answer.json();
  assert.equal(body.page.controls.find((c) => c.name === control).text, item);
}

test('the item opens on its tree; every entry draws its page, and looking changes nothing', async () => {
  const before = itemFile();
  await page.click(`a.item-link`);
  // The first page of the first book: the host's own citation page.
  await page.locator('#page[data-page="Citation"]').waitFor();
  const entries = await page.locator('#tree button.entry').evaluateAll((nodes) =>
    nodes.map((n) => ({ unique: n.dataset.unique, title: n.querySelector('.entry-title').textContent })));
  assert.equal(entries.length, 95, 'the host\'s 29 pages, the project\'s 65 and the quality report page');
  for (const { unique, title } of entries) {
    await openEntry(unique);
    const heading = await page.locator('#page [data-control="lblHeading"]').textContent();
    assert.ok(heading.length > 0, unique);
    assert.ok(title.length > 0, unique);
  }
  assert.ok(await page.locator('#dirty-badge').isHidden(), 'pages only looked at leave the item unchanged');
  await page.click('#review');
  await page.locator('dialog.review h2', { hasText: 'No changes' }).waitFor();
  assert.equal(await page.locator('dialog.review #confirm-save').count(), 0, 'nothing to save is not offered');
  await page.locator('dialog.review').getByRole('button', { name: 'Close' }).click();
  assert.equal(itemFile(), before);
  // Keyboard focus follows the page's tab order.
  await openEntry('Contact');
  const order = await page.evaluate(() => [...document.querySelectorAll('#page input, #page textarea')].map((n) => n.closest('[data-control]').dataset.control));
  const contact = JSON.parse(fs.readFileSync(path.join(source, 'tests/data/pages/Contact.json'), 'utf8'));
  const expected = contact.controls.filter((c) => c.tabIndex !== undefined).sort((a, b) => a.tabIndex - b.tabIndex).map((c) => c.name);
  assert.deepEqual(order, expected);
});

test('edits on a page of each section, by typing and by picking', async () => {
  await openEntry('Purpose');
  await typeInto('txtInfo', 'Track cliff-top retreat for the 2024 shoreline plan review.');
  await page.locator('#dirty-badge').waitFor({ state: 'visible' });
  await screenshot('identification-purpose');
  await openEntry('Status');
  await pick('cmbStatus', 'completed');
  await screenshot('identification-status');

  await openEntry('QualityScope');
  await pick('cmbLevel', 'series');
  await typeInto('txtDataSet', 'Survey seasons 2023 and 2024');
  await screenshot('quality-scope');

  await openEntry('ReferenceSys');
  await typeInto('txtName', 'ETRS89 / UTM zone 30N (EPSG:25830)');
  await screenshot('reference-system');

  await openEntry('TidewiseExt');
  await pick('listTidTheme', 'Shoreline');
  // Typing into a combo box is a Change of its own, apart from picking.
  await screenshot('extension-theme');
});

test('ticking the quality report\'s chkQuanAttAcc adds DQQuanAttAcc to the tree once the page is left', async () => {
  await openEntry('QualityReport');
  assert.equal(await page.locator('#tree button.entry[data-unique="DQQuanAttAcc"]').count(), 0);
  const sent = page.waitForResponse((r) => r.url().endsWith('/api/edit'));
  await page.locator('#page [data-control="chkQuanAttAcc"] input').check();
  assert.equal((await sent).status(), 200);
  await screenshot('quality-report');
  await openEntry('QualityScope');
  const added = page.locator('#tree li[data-book="QualityBook"] button.entry[data-unique="DQQuanAttAcc"]');
  await added.waitFor();
  await screenshot('quality-report-added-page');
});

test('review lists every change beside the saved value; saving writes them to the file', async () => {
  await page.click('#review');
  const dialog = page.locator('dialog.review');
  await dialog.waitFor();
  // A change named by its field keeps its path on a line of its own.
  const rows = await dialog.locator('tbody tr:not(.group)').evaluateAll((trs) => trs.map((tr) => [tr.querySelector('.path').textContent, ...[...tr.children].slice(1).map((td) => td.textContent)]));
  const byPath = Object.fromEntries(rows.map(([p, kind, before, now]) => [p, { kind, before, now }]));
  assert.equal(byPath['dataIdInfo/idPurp'].now, 'Track cliff-top retreat for the 2024 shoreline plan review.');
  assert.match(byPath['dataIdInfo/idPurp'].before, /^Monitor cliff-top retreat/);
  assert.equal(byPath['dataIdInfo/idStatus'].before, 'onGoing');
  assert.equal(byPath['dataIdInfo/idStatus'].now, 'completed');
  assert.deepEqual([byPath['dqInfo/dqScope/scpLvl/ScopeCd@value'].before, byPath['dqInfo/dqScope/scpLvl/ScopeCd@value'].now], ['005', '006']);
  assert.equal(byPath['MdCoRefSys/refSysId/identCode'].now, 'ETRS89 / UTM zone 30N (EPSG:25830)');
  assert.equal(byPath['tideExt/tidTopic'].now, 'Shoreline');
  await screenshot('review-changes');
  await dialog.getByRole('button', { name: 'Close' }).click();
  assert.match(itemFile(), /Monitor cliff-top retreat/, 'nothing is saved by reviewing');

  await page.click('#save');
  const confirm = page.locator('dialog.review');
  await confirm.waitFor();
  const saved = page.waitForResponse((r) => r.url().endsWith('/api/save'));
  await confirm.locator('#confirm-save').click();
  assert.equal((await saved).status(), 200);
  await page.locator('#dirty-badge').waitFor({ state: 'hidden' });
  const file = itemFile();
  assert.match(file, /<idPurp[^>]*>Track cliff-top retreat for the 2024 shoreline plan review\.<\/idPurp>/);
  assert.match(file, /<idStatus[^>]*>completed<\/idStatus>/);
  assert.match(file, /<ScopeCd value="006"\/>/);
  assert.match(file, /<tidTopic>Shoreline<\/tidTopic>/);
  assert.match(file, /ETRS89 \/ UTM zone 30N/);
  assert.match(file, /<surveyLog>/, 'what no page knows is kept');
  await screenshot('saved');
});

test('two tabs on one item stay in step; typing that is refused stays in sight, said not applied', async () => {
  const second = await context.newPage();
  await second.goto(`${address.split('?')[0]}#item=${encodeURIComponent(ITEM)}`);
  await second.locator('#page[data-page]').waitFor();
  await openEntry('Purpose');
  await second.locator('#page[data-page="Purpose"]').waitFor();
  // What the first tab types reaches the second without it asking.
  await typeInto('txtInfo', 'Edited in the first tab');
  await second.waitForFunction(() => document.querySelector('#page [data-control="txtInfo"]').value === 'Edited in the first tab',
    null, { timeout: 3000 });
  // A refusal keeps the typed text and says it did not reach the item.
  await second.route('**/api/edit', (route) => route.fulfill({
    status: 409, contentType: 'application/json',
    body: JSON.stringify({ error: 'the item was changed in another tab or window' }),
  }));
  const input = second.locator('#page [data-control="txtInfo"]').locator('xpath=descendant-or-self::input[@type="text"] | descendant-or-self::textarea').first();
  await input.fill('Typed in the second tab');
  await input.press('Tab');
  await second.locator('#failure', { hasText: 'Not applied: “Typed in the second tab”' }).waitFor();
  assert.equal(await input.inputValue(), 'Typed in the second tab');
  page = second;
  await screenshot('typing-not-applied');
  page = context.pages()[0];
  await second.close();
});

test('an ISO 19139 record imports into the item and into a new item; export downloads the record', async () => {
  const record = path.join(source, 'examples', 'coastal-dataset-iso19139.xml');
  await openEntry('Purpose');
  // Import into the open item: its metadata is replaced, unsaved, for review.
  const imported = page.waitForResponse((r) => r.url().endsWith('/api/import'));
  const chooser = page.waitForEvent('filechooser');
  await page.click('#import');
  await (await chooser).setFiles(record);
  const asked = page.locator('dialog.choice', { hasText: 'Import into this item' });
  await asked.waitFor();
  await screenshot('import-asks');
  await asked.getByRole('button', { name: 'Replace its metadata' }).click();
  const answer = await imported;
  assert.equal(answer.status(), 200, await answer.text());
  assert.equal((await answer.json()).imported, true);
  await page.locator('#dirty-badge').waitFor({ state: 'visible' });
  assert.match(await page.locator('#page [data-control="txtInfo"]').inputValue(), /^Monitor cliff-top retreat/);
  await screenshot('imported');

  // Export asks for the standard; each writes its own record.
  for (const [standard, fileName, root] of [
    ['ISO 19139', 'coastal-dataset-export.xml', /<gmd:MD_Metadata/],
    ['ISO 19115-3', 'coastal-dataset-export-iso19115-3.xml', /<(mdb|tw3):MD_Metadata/]]) {
    const download = page.waitForEvent('download');
    await page.click('#export');
    const choice = page.locator('dialog.choice');
    await choice.waitFor();
    if (standard === 'ISO 19115-3') await screenshot('export-choice');
    await choice.getByRole('button', { name: standard, exact: true }).click();
    const file = await download;
    assert.equal(file.suggestedFilename(), fileName);
    const exported = fs.readFileSync(await file.path(), 'utf8');
    assert.match(exported, root);
    assert.match(exported, /Monitor cliff-top retreat/);
  }

  // A record becomes a new item of the catalog.
  await page.evaluate(() => { location.hash = ''; });
  const discard = page.locator('dialog.choice');
  await discard.waitFor();
  await discard.getByRole('button', { name: 'Discard them' }).click();
  await page.locator('#catalog-view').waitFor({ state: 'visible' });
  // The file is chosen first, then the new item's name.
  const recordChooser = page.waitForEvent('filechooser');
  await page.click('#import-record');
  await (await recordChooser).setFiles(record);
  const name = page.locator('dialog.ask-text');
  await name.waitFor();
  await name.locator('input').fill('imported-record.xml');
  await name.getByRole('button', { name: 'OK' }).click();
  await page.locator('table.items tr[data-path="imported-record.xml"]').waitFor();
  const item = fs.readFileSync(path.join(catalog, 'imported-record.xml'), 'utf8');
  assert.match(item, /<idPurp>Monitor cliff-top retreat/);
  await screenshot('catalog-with-imported-item');
});

async function click(control) {
  const sent = page.waitForResponse((r) => r.url().endsWith('/api/edit'));
  await page.locator(`#page [data-control="${control}"]`).click();
  assert.equal((await sent).status(), 200);
}

test('a record written from empty through the host\'s pages exports valid ISO 19139 that OWSLib reads', async () => {
  await page.locator('#new-item').click();
  const name = page.locator('dialog.ask-text');
  await name.waitFor();
  await name.locator('input').fill('from-empty.xml');
  await name.getByRole('button', { name: 'Create' }).click();
  await page.locator('#page[data-page="Citation"]').waitFor();
  // An empty record: the tree marks what ISO requires and it lacks.
  const marked = await page.locator('#tree button.entry:has(.mark)').evaluateAll((nodes) => nodes.map((n) => n.dataset.unique));
  for (const unique of ['Citation', 'Description', 'MetadataInfo', 'MetadataContacts', 'DataLanguages']) {
    assert.ok(marked.includes(unique), `${unique} is marked as not completed`);
  }

  await typeInto('txtTitle', 'Tidal flats of Kestrel Bay');
  await click('cmdAddDate');
  await typeInto('txtDate', '2024-03-01');
  await pick('cmbDateType', 'Creation');
  // The citation is now complete.
  await settlesOn(() => page.locator('#tree button.entry[data-unique="Citation"] .mark').count(), 0);
  await screenshot('host-citation-written');

  await openEntry('Description');
  await typeInto('txtAbstract', 'Sediment and elevation of the intertidal flats, surveyed at low water in 2024.');

  await openEntry('Keywords');
  await click('cmdAddSet');
  await pick('cmbType', 'Theme');
  await click('cmdAddKeyword');
  await typeInto('txtKeyword', 'tidal flats');
  await click('cmdAddKeyword');
  // The new entry is typed into once it stands in the list, as one sees it.
  await page.waitForFunction(() => document.querySelectorAll('#page [data-control="lstKeywords"] li').length === 2);
  await typeInto('txtKeyword', 'sediment');
  await settlesOn(() => page.locator('#page [data-control="lstKeywords"] li').allTextContents(), ['tidal flats', 'sediment']);
  await screenshot('host-keywords-written');

  // The box is drawn on the map: its edges are typed into the four boxes.
  await openEntry('BoundingBoxes');
  await click('cmdAddExtent');
  await click('cmdAdd');
  const map = page.locator('#page [data-control="mapBoxes"] svg');
  // The answer to the click draws the map again: measure the one it drew.
  await page.waitForFunction(() => document.querySelector('#page [data-control="mapBoxes"] svg')?.isConnected);
  let frame = await map.boundingBox();
  for (let tries = 0; !frame && tries < 50; tries++) frame = await page.waitForTimeout(100).then(() => map.boundingBox());
  // From 10 W 60 N to 10 E 40 S on a map of 360 by 180 degrees.
  const at = (lon, lat) => [frame.x + ((lon + 180) / 360) * frame.width, frame.y + ((90 - lat) / 180) * frame.height];
  const typed = [];
  page.on('response', (r) => { if (r.url().endsWith('/api/edit')) typed.push(r); });
  await page.mouse.move(...at(-10, 60));
  await page.mouse.down();
  await page.mouse.move(...at(0, 20), { steps: 4 });
  await page.mouse.move(...at(10, -40), { steps: 4 });
  await page.mouse.up();
  await page.waitForFunction(() => document.querySelector('#page [data-control="txtSouth"]').value !== '');
  await page.waitForFunction(() => document.querySelector('#page [data-control="mapBoxes"] rect.box.selected'));
  const edge = async (control) => Number(await page.locator(`#page [data-control="${control}"]`).inputValue());
  assert.ok(Math.abs((await edge('txtWest')) + 10) < 1.5, 'west');
  assert.ok(Math.abs((await edge('txtEast')) - 10) < 1.5, 'east');
  assert.ok(Math.abs((await edge('txtSouth')) + 40) < 1.5, 'south');
  assert.ok(Math.abs((await edge('txtNorth')) - 60) < 1.5, 'north');
  // Typing moves the box on the map.
  await typeInto('txtNorth', '55.5');
  await page.waitForFunction(() => {
    const rect = document.querySelector('#page [data-control="mapBoxes"] rect.box.selected');
    return rect && Math.abs(Number(rect.getAttribute('y')) + 55.5) < 0.01;
  });
  await screenshot('host-bounding-box-drawn');

  await openEntry('OnlineResources');
  await click('cmdAddTransfer');
  await click('cmdAddLink');
  await typeInto('txtLinkage', 'https://example.org/kestrel/tidal-flats.gpkg');
  await typeInto('txtLinkName', 'Tidal flats, GeoPackage');
  await pick('cmbFunction', 'Download');

  await openEntry('MetadataContacts');
  await click('cmdAdd');
  await typeInto('txtOrgName', 'Harbour Point Coastal Observatory');
  await pick('cmbRole', 'Point of contact');
  await openEntry('MetadataInfo');
  await typeInto('txtDateSt', '2024-03-02');
  await openEntry('DataLanguages');
  await typeInto('txtLangs', 'English');
  await openEntry('Citation');

  // Saved, then exported as the catalog would read it.
  await page.click('#save');
  const confirm = page.locator('dialog.review');
  await confirm.waitFor();
  const saved = page.waitForResponse((r) => r.url().endsWith('/api/save'));
  await confirm.locator('#confirm-save').click();
  assert.equal((await saved).status(), 200);
  const item = fs.readFileSync(path.join(catalog, 'from-empty.xml'), 'utf8');
  assert.match(item, /<keyword>tidal flats<\/keyword>/);
  assert.match(item, /<KeyTypCd value="005"\/>/, 'a theme is stored as its code');

  const exportAs = async (standard, file) => {
    const download = page.waitForEvent('download');
    await page.click('#export');
    const choice = page.locator('dialog.choice');
    await choice.waitFor();
    await choice.getByRole('button', { name: standard, exact: true }).click();
    const exported = path.join(home, file);
    await (await download).saveAs(exported);
    return exported;
  };
  const valid = (schema, file) => spawnSync('xmllint', ['--noout', '--nonet', '--schema', path.join(source, 'schemas', ...schema), file],
    { encoding: 'utf8', env: { ...process.env, XML_CATALOG_FILES: path.join(source, 'schemas', 'catalog.xml') } });
  // The same record in ISO 19115-3 needs nothing but its schemas.
  const check3 = valid(['iso19115-3', '19115', '-3', 'mdb', '2.0', 'mdb.xsd'], await exportAs('ISO 19115-3', 'from-empty-iso19115-3.xml'));
  assert.equal(check3.status, 0, check3.stderr);
  const exported = await exportAs('ISO 19139', 'from-empty-export.xml');
  const check = valid(['iso19139', 'gmd', 'gmd.xsd'], exported);
  assert.equal(check.status, 0, check.stderr);
  const read = spawnSync('/usr/bin/python3', [path.join(source, 'tests', 'cli', 'owslib_read.py'), exported, '--extent-and-links'], { encoding: 'utf8' });
  assert.equal(read.status, 0, read.stderr);
  const record = JSON.parse(read.stdout);
  assert.equal(record.title, 'Tidal flats of Kestrel Bay');
  assert.match(record.abstract, /^Sediment and elevation/);
  assert.deepEqual(record.keywords, ['tidal flats', 'sediment']);
  assert.equal(record.bbox.length, 1);
  assert.ok(Math.abs(Number(record.bbox[0][3]) - 55.5) < 1e-9, `north: ${record.bbox[0]}`);
  assert.deepEqual(record.online, ['https://example.org/kestrel/tidal-flats.gpkg']);
});

test('the editor killed with unsaved edits: the tab says it is gone; started again, it offers them back', async () => {
  await page.evaluate((item) => { location.hash = `#item=${encodeURIComponent(item)}`; }, ITEM);
  await page.locator('#page[data-page]').waitFor();
  await openEntry('Purpose');
  await typeInto('txtInfo', 'Typed before the editor was killed');
  server.kill('SIGKILL');
  await new Promise((resolve) => server.once('exit', resolve));
  await page.locator('#editor-gone').waitFor({ timeout: 10000 });
  await screenshot('editor-gone');
  const journals = fs.readdirSync(path.join(home, 'journal'))
    .filter((name) => fs.readFileSync(path.join(home, 'journal', name), 'utf8').includes('Typed before the editor was killed'));
  assert.equal(journals.length, 1, 'kept on disk before the edit was answered');
  assert.doesNotMatch(itemFile(), /Typed before the editor was killed/);

  ({ child: server, address, port, token } = await startServer());
  await page.goto(address);
  await page.evaluate((item) => { location.hash = `#item=${encodeURIComponent(item)}`; }, ITEM);
  const offer = page.locator('dialog.choice', { hasText: 'Unsaved edits were kept' });
  await offer.waitFor();
  await screenshot('restore-offer');
  await offer.getByRole('button', { name: 'Restore and review…' }).click();
  const review = page.locator('dialog.review', { hasText: 'Restored edits' });
  await review.waitFor();
  assert.match(await review.textContent(), /Typed before the editor was killed/);
  await screenshot('restored-review');
  await review.getByRole('button', { name: 'Keep them' }).click();
  await page.locator('#dirty-badge').waitFor({ state: 'visible' });
  assert.equal(await page.locator('#page [data-control="txtInfo"]').inputValue(), 'Typed before the editor was killed');
});

test('another program changes the open item: the tab says so at once, and reads it again under the author\'s edits', async () => {
  const title = /<resTitle>([^<]*)<\/resTitle>/.exec(itemFile())[1];
  fs.writeFileSync(path.join(catalog, ITEM), itemFile().replace(`<resTitle>${title}</resTitle>`, '<resTitle>Retitled by another program</resTitle>'));
  const bar = page.locator('#outside');
  await bar.waitFor({ timeout: 5000 });
  assert.match(await bar.textContent(), new RegExp(`${ITEM} was changed by another program`));
  await screenshot('outside-change');
  await page.click('#review');
  const review = page.locator('dialog.review');
  await review.waitFor();
  assert.doesNotMatch(await review.textContent(), /Retitled by another program/, 'not shown as the author\'s');
  await review.getByRole('button', { name: 'Close' }).click();
  await page.click('#outside-reload');
  await bar.waitFor({ state: 'detached' });
  await page.click('#save');
  const confirm = page.locator('dialog.review');
  await confirm.waitFor();
  const saved = page.waitForResponse((r) => r.url().endsWith('/api/save'));
  await confirm.locator('#confirm-save').click();
  assert.equal((await saved).status(), 200);
  assert.match(itemFile(), /Retitled by another program/);
  assert.match(itemFile(), /Typed before the editor was killed/);
});

test('undo and redo take steps back and forth across pages', async () => {
  await openEntry('Purpose');
  const purpose = await page.locator('#page [data-control="txtInfo"]').inputValue();
  await typeInto('txtInfo', 'A purpose to take back');
  await openEntry('Status');
  const status = await page.locator('#page [data-control="cmbStatus"] input').inputValue();
  await pick('cmbStatus', 'obsolete');
  const undo = async (button) => {
    const answered = page.waitForResponse((r) => r.url().endsWith(`/api/${button}`));
    await page.click(`#${button}`);
    assert.equal((await answered).status(), 200);
  };
  const shows = (selector, expected) => settlesOn(() => page.locator(selector).inputValue(), expected);
  await undo('undo');
  await shows('#page [data-control="cmbStatus"] input', status);
  await undo('undo');
  await page.locator('#dirty-badge').waitFor({ state: 'hidden' });
  await openEntry('Purpose');
  await shows('#page [data-control="txtInfo"]', purpose);
  // The keyboard, outside a text box.
  await page.locator('#tree button.entry[data-unique="Purpose"]').focus();
  const redone = page.waitForResponse((r) => r.url().endsWith('/api/redo'));
  await page.keyboard.press('Control+y');
  assert.equal((await redone).status(), 200);
  await shows('#page [data-control="txtInfo"]', 'A purpose to take back');
  await screenshot('redone');
});
