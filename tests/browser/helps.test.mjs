// How the editor helps the author, in Chromium: wrong values marked as they
// are typed and listed by page, every field named by its label on screen,
// no label cut off, the tree and the lists worked from the keyboard, axe-core
// finding nothing serious, the catalog's search and item operations, the
// review naming changes by page and field, and the editor at 200% zoom.
//
//   node --test tests/browser/helps.test.mjs

import { after, before } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { axeViolations, showingTest, startEditor, source } from './harness.mjs';

const ITEM = 'coastal-dataset.xml';
// A folder of their own: the other browser test empties its folder of pictures as it starts.
const artifacts = path.join(process.env.TIDEWISE_ARTIFACTS || path.join(source, 'build', 'test-artifacts', 'browser'), 'helps');
let editor, page;

const test = showingTest(() => page);

async function screenshot(name) {
  await page.screenshot({ path: path.join(artifacts, `helps-${name}.png`) });
}

async function answerBoxes(page = editor.page) {
  // A fresh home: the components ask about their synchronizers at first.
  for (let i = 0; i < 3; i++) {
    const box = page.locator('dialog.message-box');
    await box.waitFor();
    if (i === 0) {
      assert.deepEqual(await axeViolations(page, 'a message box'), []);
      assert.equal(await page.evaluate(() => document.activeElement.closest('dialog') !== null), true, 'the box has the focus');
    }
    const prompt = await box.locator('.prompt').textContent();
    await box.getByRole('button', { name: 'OK' }).click();
    await page.waitForFunction((shown) => {
      const next = document.querySelector('dialog.message-box');
      return !next || next.querySelector('.prompt').textContent !== shown;
    }, prompt);
  }
}

async function openEntry(uniqueName, page = editor.page) {
  const entry = page.locator(`#tree .entry[data-unique="${uniqueName}"]`);
  const book = entry.locator('xpath=ancestor::li[@data-book]');
  if (await book.count() && await book.getAttribute('aria-expanded') !== 'true') await book.locator('.book-caption').click();
  await entry.click();
  await page.locator(`#page[data-page="${uniqueName}"]`).waitFor();
}

async function openItem() {
  if (await page.locator('#tree .entry').count()) return;
  await page.goto(`${new URL(editor.address).origin}/#item=${ITEM}`);
  await page.locator('#page[data-page]').waitFor();
}

const field = (control) => page.locator(`#page [data-control="${control}"]`).locator('xpath=descendant-or-self::*[self::input or self::textarea][1]');

before(async () => {
  fs.mkdirSync(artifacts, { recursive: true });
  editor = await startEditor([ITEM]);
  page = editor.page;
  page.on('pageerror', (error) => { throw error; });
  await page.goto(editor.address);
  await answerBoxes();
  await page.locator(`table.items tr[data-path="${ITEM}"]`).waitFor();
});

after(async () => {
  if (editor) await editor.close();
});

test('the catalog is searched through its index, sorted by a column, and passes axe', async () => {
  assert.deepEqual(await axeViolations(page, 'the catalog'), []);
  const rows = () => page.locator('table.items tbody tr').evaluateAll((nodes) => nodes.map((n) => n.dataset.path));
  await page.locator(`table.items tr[data-path="${ITEM}"] button`, { hasText: 'Duplicate' }).click();
  await page.locator('dialog.ask-text input').fill('zz-copy.xml');
  await page.locator('dialog.ask-text').getByRole('button', { name: 'Duplicate' }).click();
  await page.locator('table.items tr[data-path="zz-copy.xml"]').waitFor();
  const searches = [
    { text: 'cliff retreat', found: [ITEM, 'zz-copy.xml'] },  // keywords
    { text: 'nowhere-at-all', found: [] },
    { text: 'kestr', found: [ITEM, 'zz-copy.xml'] },  // the start of a word of the title
  ];
  for (const s of searches) {
    await page.fill('#filter', s.text);
    await page.waitForFunction((n) => document.querySelectorAll('table.items tbody tr').length === n, s.found.length);
    assert.deepEqual((await rows()).sort(), s.found, s.text);
  }
  await page.fill('#filter', 'kestr');
  await screenshot('catalog-search');
  await page.fill('#filter', '');
  await page.waitForFunction(() => document.querySelectorAll('table.items tbody tr').length === 2);
  const fileHeader = page.locator('table.items thead th', { hasText: 'File' });
  await fileHeader.locator('button').click();
  assert.equal(await fileHeader.getAttribute('aria-sort'), 'ascending');
  assert.deepEqual(await rows(), [ITEM, 'zz-copy.xml']);
  await fileHeader.locator('button').click();
  assert.equal(await fileHeader.getAttribute('aria-sort'), 'descending');
  assert.deepEqual(await rows(), ['zz-copy.xml', ITEM]);

  // Deleted into the trash, and back.
  await page.locator('table.items tr[data-path="zz-copy.xml"] button', { hasText: 'Delete' }).click();
  await page.locator('dialog.choice').getByRole('button', { name: 'Move to the trash' }).click();
  await page.waitForFunction(() => !document.querySelector('table.items tr[data-path="zz-copy.xml"]'));
  assert.ok(fs.existsSync(path.join(editor.catalog, '.trash')));
  await page.click('#show-trash');
  const trash = page.locator('dialog.trash');
  await trash.getByRole('button', { name: 'Restore zz-copy.xml' }).click();
  await page.locator('table.items tr[data-path="zz-copy.xml"]').waitFor();
  assert.ok(fs.existsSync(path.join(editor.catalog, 'zz-copy.xml')));
});

test('a wrong value is marked as it is typed, listed by page and field, and the list leads to it', async () => {
  await openItem();
  await openEntry('QualityExtent');
  for (const [control, value] of [['txtEast', '10'], ['txtSouth', '40'], ['txtNorth', '50']]) await field(control).fill(value);
  await field('txtWest').fill('abc');
  await field('txtWest').press('Enter');
  // West was already marked as missing once the other edges were given: wait
  // for the answer to "abc" itself, which a slow build gives later.
  await page.waitForFunction(() => {
    const holder = document.querySelector('#page [data-control="txtWest"]');
    const box = holder.matches('input, textarea') ? holder : holder.querySelector('input, textarea');
    const message = document.getElementById(box.getAttribute('aria-describedby') ?? '');
    return holder.getAttribute('aria-invalid') === 'true' && /is not a number/.test(message?.textContent ?? '');
  });
  const described = await field('txtWest').evaluate((n) => document.getElementById(n.getAttribute('aria-describedby')).textContent);
  assert.match(described, /“abc” is not a number/);
  await page.locator('#problems .problem-link[data-control="txtWest"]').waitFor();
  assert.match(await page.locator('#problems .problem-link[data-control="txtWest"]').textContent(), /West.*“abc” is not a number/);
  await page.locator('#tree .entry[data-unique="QualityExtent"] .problem-mark').waitFor();
  await field('txtWest').focus();
  await screenshot('field-marked-invalid');

  // From another page, the list opens the page and puts the focus in the field.
  await openEntry('Status');
  await page.locator('#problems .problem-link[data-control="txtWest"]').click();
  await page.locator('#page[data-page="QualityExtent"]').waitFor();
  await page.waitForFunction(() => document.activeElement?.closest('[data-control]')?.dataset.control === 'txtWest');
  await screenshot('problems-panel');

  await field('txtWest').fill('-4.5');
  await field('txtWest').press('Tab');
  await page.waitForFunction(() => !document.querySelector('#problems .problem-link[data-control="txtWest"]'));
  assert.equal(await field('txtWest').getAttribute('aria-invalid'), null);
  assert.equal(await page.locator('#tree .entry[data-unique="QualityExtent"] .problem-mark').count(), 0);
});

test('every page: fields named by their labels, one-value boxes one line, no label cut off, nothing serious for axe', async () => {
  await openItem();
  const entries = await page.locator('#tree .entry[data-unique]').evaluateAll((nodes) => nodes.map((n) => n.dataset.unique));
  assert.ok(entries.length >= 20, `${entries.length} entries`);
  const faults = [];
  for (const unique of entries) {
    await openEntry(unique);
    const found = await page.evaluate(() => {
      const out = [];
      const nameOf = (n) => n.getAttribute('aria-labelledby')
        ? n.getAttribute('aria-labelledby').split(' ').map((id) => document.getElementById(id)?.textContent || '').join(' ').trim()
        : (n.getAttribute('aria-label') || '').trim();
      for (const n of document.querySelectorAll('#page input:not([type=checkbox]):not([type=radio]), #page textarea, #page [role=listbox]')) {
        const control = n.closest('[data-control]').dataset.control;
        const name = nameOf(n);
        if (!name || name === control || /^(txt|cmb|lst)[A-Z]/.test(name)) out.push(`${control} is named "${name}"`);
      }
      for (const n of document.querySelectorAll('#page .kind-TextBox')) {
        if (parseFloat(n.style.height) < 42 && n.tagName === 'TEXTAREA') out.push(`${n.dataset.control} holds one value but takes line breaks`);
      }
      for (const n of document.querySelectorAll('#page .kind-Label, #page .kind-CheckBox, #page .kind-OptionButton')) {
        if (n.scrollHeight > n.clientHeight + 1 || n.scrollWidth > n.clientWidth + 1) {
          out.push(`${n.dataset.control} "${n.textContent.trim()}" is cut off (${n.scrollWidth}x${n.scrollHeight} in ${n.clientWidth}x${n.clientHeight})`);
        }
      }
      return out;
    });
    faults.push(...found.map((f) => `${unique}: ${f}`));
    faults.push(...(await axeViolations(page, unique)).map((v) => `${unique}: axe ${v.id} (${v.impact}) ${v.nodes.join(', ')}`));
  }
  assert.deepEqual(faults, [], faults.join("\n"));
});

test('the tree follows the arrow keys, Home, End and type-ahead; a list opens with Alt+Down and narrows as one types', async () => {
  await openEntry('Status');
  const focused = () => page.evaluate(() => {
    const n = document.activeElement;
    return n.dataset.unique || n.dataset.book || n.textContent.trim();
  });
  await page.locator('#tree .entry[data-unique="Status"]').focus();
  const book = await page.locator('#tree .entry[data-unique="Status"]').evaluate((n) => n.closest('li[data-book]').dataset.book);
  const steps = [
    { key: 'ArrowLeft', then: book },                  // to its book
    { key: 'ArrowLeft', then: book, collapsed: true },  // closes it
    { key: 'ArrowRight', then: book, collapsed: false },
    { key: 'ArrowRight', then: null },                 // to its first page
    { key: 'Home', then: 'first' },
    { key: 'End', then: 'last' },
  ];
  for (const step of steps) {
    await page.keyboard.press(step.key);
    const now = await focused();
    const shown = await page.locator('#tree [role=treeitem]').evaluateAll((nodes) => nodes.filter((n) => n.offsetParent !== null).map((n) => n.dataset.unique || n.dataset.book));
    const want = step.then === 'first' ? shown[0] : step.then === 'last' ? shown[shown.length - 1] : step.then;
    if (want) assert.equal(now, want, step.key);
    else assert.notEqual(now, book, step.key);
    if (step.collapsed !== undefined) {
      assert.equal(await page.locator(`#tree li[data-book="${book}"]`).getAttribute('aria-expanded'), String(!step.collapsed), step.key);
    }
    assert.equal(await page.locator('#tree [role=treeitem][tabindex="0"]').count(), 1, 'one entry in the tab order');
  }
  await page.keyboard.press('Home');
  const purpose = await page.locator('#tree .entry[data-unique="Purpose"]').isVisible();
  if (purpose) {
    await page.keyboard.press('p');
    await page.keyboard.press('u');
    assert.equal(await focused(), 'Purpose');
  }

  // A click on the entry of the page already open asks nothing of the
  // editor: drawn anew, the page would close the list opened below.
  const opened = [];
  const track = (request) => { if (request.url().endsWith('/api/open-page')) opened.push(request.postDataJSON().page); };
  page.on('request', track);
  await openEntry('Status');
  const combo = page.locator('#page [data-control="cmbStatus"] input');
  await combo.focus();
  await page.keyboard.press('Alt+ArrowDown');
  const list = page.locator('#page .combo-list');
  await list.waitFor();
  assert.equal(await combo.getAttribute('aria-expanded'), 'true');
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute('role')), 'option');
  await page.keyboard.press('o');
  assert.match(await page.evaluate(() => document.activeElement.textContent), /^o/i);
  await page.keyboard.press('Escape');
  assert.equal(await combo.getAttribute('aria-expanded'), 'false');
  await page.locator('#page [data-control="cmbStatus"] .combo-button').click();
  await combo.fill('plan');
  const shown = await list.locator('li:not([hidden])').allTextContents();
  assert.deepEqual(shown, ['planned']);
  await page.keyboard.press('Escape');
  await openEntry('Purpose');
  page.off('request', track);
  assert.deepEqual(opened, ['Purpose'], 'only the page not yet open was asked for');
});

// The name a screen reader gives a field of the page.
const accessibleName = (control) => field(control).evaluate((n) => (n.getAttribute('aria-labelledby')
  ? n.getAttribute('aria-labelledby').split(' ').map((id) => document.getElementById(id)?.textContent || '').join(' ')
  : n.getAttribute('aria-label') || '').replace(/\s+/g, ' ').replace(/[:\s]+$/, '').trim());

test('the review names each change by its page and the label of its field, and passes axe', async () => {
  await openItem();
  await openEntry('Purpose');
  const entry = page.locator('#tree .entry[data-unique="QualityExtent"]');
  const book = entry.locator('xpath=ancestor::li[@data-book]');
  if (await book.getAttribute('aria-expanded') !== 'true') await book.locator('.book-caption').click();
  const typed = 'Named in the review by its label';
  await field('txtInfo').fill(typed);
  const purposeName = await accessibleName('txtInfo');
  // The press on the next page's entry leaves the text box, which sends what
  // was typed; the release comes once the answer is drawn. It is a click.
  await entry.scrollIntoViewIfNeeded();
  const at = await entry.boundingBox();
  await page.mouse.move(at.x + at.width / 2, at.y + at.height / 2);
  const drawn = page.waitForResponse((r) => r.url().endsWith('/api/edit'))
    .then(() => page.waitForRequest((r) => r.url().endsWith('/api/problems')));
  await page.mouse.down();
  await drawn;
  await page.mouse.up();
  await page.locator('#page[data-page="QualityExtent"]').waitFor({ timeout: 5000 });
  const westName = await accessibleName('txtWest');
  await field('txtWest').fill('-4.75');
  await field('txtWest').press('Enter');
  await page.click('#review');
  const dialog = page.locator('dialog.review');
  await dialog.waitFor();
  const rows = await dialog.locator('tbody tr:not(.group)').evaluateAll((nodes) => nodes.map((n) => ({
    page: n.closest('tbody').dataset.page,
    label: n.querySelector('td.field .label')?.textContent ?? null,
    path: n.querySelector('.path').textContent,
    now: n.lastElementChild.textContent,
  })));
  const seen = (value) => rows.find((r) => r.now === value);
  for (const [value, name, title] of [[typed, purposeName, 'Purpose'], ['-4.75', westName, null]]) {
    const row = seen(value);
    assert.ok(row, `${value} in ${JSON.stringify(rows)}`);
    assert.ok(name.length > 0 && !/^(txt|cmb)[A-Z]/.test(name), name);
    assert.equal(row.label, name, 'the label a screen reader announces');
    assert.ok(row.path.length > 0 && row.path !== row.label, 'the path below it');
    if (title) assert.equal(row.page, title);
  }
  assert.deepEqual(await axeViolations(page, 'the review'), []);
  await screenshot('review-fields');
  await dialog.getByRole('button', { name: /Cancel|Close/ }).click();
});

test('at 200% zoom the catalog and an item fit the width, every part is reachable and no label is cut off', async () => {
  // A window of 1280x800 at 200%: 640x400 CSS pixels, two device pixels each.
  const zoomed = await startEditor([ITEM], { viewport: { width: 640, height: 400 }, deviceScaleFactor: 2 });
  try {
    const z = zoomed.page;
    z.on('pageerror', (error) => { throw error; });
    await z.goto(zoomed.address);
    await answerBoxes(z);
    await z.locator(`table.items tr[data-path="${ITEM}"]`).waitFor();
    // Each part inside the width (reached by scrolling down, never sideways),
    // and the document no wider than the window.
    const measure = (parts) => z.evaluate((selectors) => {
      const width = window.innerWidth;
      const out = { ratio: window.devicePixelRatio, width, overflow: document.documentElement.scrollWidth - width, faults: [] };
      for (const selector of selectors) {
        const n = document.querySelector(selector);
        const r = n?.getBoundingClientRect();
        if (!n || r.width === 0 || r.height === 0) out.faults.push(`${selector} is not shown`);
        else if (r.left < -1 || r.right > width + 1) out.faults.push(`${selector} spans ${Math.round(r.left)}..${Math.round(r.right)} of ${width}`);
      }
      return out;
    }, parts);
    const catalog = await measure(['#filter', `table.items tr[data-path="${ITEM}"] td`]);
    assert.equal(catalog.ratio, 2);
    assert.equal(catalog.width, 640);
    assert.equal(catalog.overflow, 0, 'the catalog is no wider than the window');
    assert.deepEqual(catalog.faults, []);

    await z.goto(`${new URL(zoomed.address).origin}/#item=${ITEM}`);
    await z.locator('#page[data-page]').waitFor();
    await openEntry('Contact', z);
    const item = await measure(['#tree', '.page-area', '#problems', '#review']);
    assert.equal(item.overflow, 0, 'the item is no wider than the window');
    assert.deepEqual(item.faults, []);
    // A page wider than the window scrolls inside its own area; its labels are whole.
    const shown = await z.evaluate(() => {
      const frame = document.querySelector('.page-area');
      const cut = [];
      for (const n of document.querySelectorAll('#page .kind-Label, #page .kind-CheckBox, #page .kind-OptionButton')) {
        if (n.scrollHeight > n.clientHeight + 1 || n.scrollWidth > n.clientWidth + 1) cut.push(n.dataset.control);
      }
      return { wider: frame.scrollWidth > frame.clientWidth, scrolls: ['auto', 'scroll'].includes(getComputedStyle(frame).overflowX), cut };
    });
    assert.ok(!shown.wider || shown.scrolls, 'a wide page scrolls in its frame');
    assert.deepEqual(shown.cut, []);
    // The last field of the page is reached from the keyboard.
    await z.locator('#page input, #page textarea').last().focus();
    const focused = await z.evaluate(() => {
      const r = document.activeElement.getBoundingClientRect();
      return r.right > 0 && r.left < window.innerWidth && r.bottom > 0 && r.top < window.innerHeight;
    });
    assert.ok(focused, 'the focused field is scrolled into view');
    await z.screenshot({ path: path.join(artifacts, 'helps-zoom-200-contact.png') });
  } finally {
    await zoomed.close();
  }
});
