// What a browser test needs: tidewise serve on a copy of the example
// catalog with a fresh TIDEWISE_HOME, and Chromium driving its page.
// Scratch folders carry the run's process number, so that the next run
// removes those of a run that was killed.

import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test as nodeTest } from 'node:test';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const source = path.resolve(here, '..', '..');
const tool = process.env.TIDEWISE_BIN || path.join(source, 'build', 'bin', 'tidewise');

export function scratchFolder(kind) {
  for (const name of fs.readdirSync(os.tmpdir())) {
    const match = /^tidewise-browser-[a-z]+-(\d+)-/.exec(name);
    if (!match) continue;
    try {
      process.kill(Number(match[1]), 0);
    } catch (error) {
      if (error.code === 'ESRCH') fs.rmSync(path.join(os.tmpdir(), name), { recursive: true, force: true });
    }
  }
  return fs.mkdtempSync(path.join(os.tmpdir(), `tidewise-browser-${kind}-${process.pid}-`));
}

function startServer(catalog, home) {
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
      const found = /Open (http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]+)/.exec(out);
      if (found) {
        clearTimeout(timer);
        resolve({ child, address: found[1] });
      }
    });
    child.stderr.on('data', (chunk) => { err += chunk; });
    child.on('exit', (code) => {
      clearTimeout(timer);
      reject(new Error(`tidewise serve ended (${code}): ${out}${err}`));
    });
  });
}

// Starts the editor on a catalog holding `items` (names of examples/);
// returns {page, catalog, address, close()}.
export async function startEditor(items, { viewport = { width: 1360, height: 900 }, deviceScaleFactor = 1 } = {}) {
  const home = scratchFolder('home');
  const catalog = scratchFolder('catalog');
  const profile = scratchFolder('profile');
  const folders = [home, catalog, profile];
  let server = null;
  let context = null;
  const close = async () => {
    if (context) await context.close();
    if (server) {
      server.kill('SIGINT');
      await new Promise((resolve) => server.once('exit', resolve));
    }
    for (const folder of folders) fs.rmSync(folder, { recursive: true, force: true });
  };
  try {
    for (const item of items) fs.copyFileSync(path.join(source, 'examples', item), path.join(catalog, item));
    const started = await startServer(catalog, home);
    server = started.child;
    context = await chromium.launchPersistentContext(profile, {
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      headless: true,
      viewport,
      deviceScaleFactor,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    });
    const page = context.pages()[0] || await context.newPage();
    page.setDefaultTimeout(30000);
    return { page, catalog, address: started.address, close };
  } catch (error) {
    await close();
    throw error;
  }
}

// axe-core's serious and critical violations on the page as it is now.
export async function axeViolations(page, label) {
  const axe = fs.readFileSync(path.join(here, 'node_modules', 'axe-core', 'axe.min.js'), 'utf8');
  if (!(await page.evaluate(() => typeof window.axe === 'object'))) await page.evaluate(axe);
  const found = await page.evaluate(async () => {
    const result = await window.axe.run(document, { resultTypes: ['violations'] });
    return result.violations.map((v) => ({ id: v.id, impact: v.impact, help: v.help, nodes: v.nodes.slice(0, 3).map((n) => n.target.join(' ')) }));
  });
  return found.filter((v) => v.impact === 'serious' || v.impact === 'critical').map((v) => ({ where: label, ...v }));
}

// What the editor shows beside the page, for the message of a failed test:
// a step refused or failed says so in one of these.
export async function whatIsShown(page) {
  try {
    return await page.evaluate(() => {
      const text = (selector) => [...document.querySelectorAll(selector)].map((n) => n.textContent.replace(/\s+/g, ' ').trim()).filter(Boolean);
      return JSON.stringify({
        page: document.querySelector('#page')?.dataset.page ?? null,
        focus: document.activeElement?.outerHTML.slice(0, 120) ?? null,
        status: text('#status'),
        failure: text('#failure:not([hidden])'),
        toasts: text('#toasts .toast'),
        dialogs: text('dialog[open]'),
      });
    });
  } catch (error) {
    return `(the page could not be read: ${error.message})`;
  }
}

// node:test's `test`, whose failures also tell what the editor showed on
// the page `current()` gives.
export function showingTest(current) {
  return (name, body) => nodeTest(name, async (t) => {
    try {
      await body(t);
    } catch (error) {
      if (current()) error.message += `\nthe editor showed: ${await whatIsShown(current())}`;
      throw error;
    }
  });
}
