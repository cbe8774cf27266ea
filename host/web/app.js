// The browser editor: the catalog, and one item at a time with its tree of
// pages and the open page. Every request of an item goes out after the one
// before it has come back, so the item's version always follows.

import { call, RequestError, setDialogHandlers } from './api.js';
import { askText, choose, element, messageBox, reviewChanges } from './dialogs.js';
import { editorGone, follow, offerRecovery, showConflicts, showOutside, watchEditor } from './keeping.js';
import { PageView } from './page.js';
import { markTree, ProblemsPanel } from './problems.js';
import { renderTree as drawTree } from './tree.js';
import { askNewItem, CatalogView } from './catalog.js';

const $ = (id) => document.getElementById(id);
const TYPING_PAUSE_MS = 300;
const PROBLEMS_PAUSE_MS = 400;

const ui = {
  catalog: null,
  item: null,  // {path, version, dirty, books, page}
  queue: Promise.resolve(),
  typing: null,  // {control, text, timer}: typed, not yet sent
  pageAsked: null,  // the page a click asked for, not yet open
  openBooks: new Map(),
  problemsTimer: null,
  labels: new Map(),  // page -> (control -> label), of the pages drawn
};

// ---- Status and notes

function status(text) {
  $('status').textContent = text;
}

function toast(text, kind = 'note') {
  const node = element('div', { class: `toast ${kind}`, role: kind === 'error' ? 'alert' : 'status', text });
  $('toasts').append(node);
  setTimeout(() => node.remove(), kind === 'error' ? 12000 : 6000);
}

setDialogHandlers(messageBox, (notes) => notes.forEach((note) => toast(note, 'warning')));

function showFailure(failure, message) {
  const box = $('failure');
  if (!failure && !message) {
    box.hidden = true;
    box.replaceChildren();
    return;
  }
  box.hidden = false;
  if (failure) {
    // The plain message first; what failed, for whoever looks into it, under it.
    box.replaceChildren(
      element('strong', { text: message || `${failure.member} failed` }),
      element('dl', {},
        element('dt', { text: 'Interface' }), element('dd', { text: failure.interface }),
        element('dt', { text: 'Member' }), element('dd', { text: failure.member }),
        element('dt', { text: 'Code' }), element('dd', { text: failure.code }),
        element('dt', { text: 'Error' }), element('dd', { text: failure.text || '(no error text)' })),
      element('p', { text: 'The item keeps what it had before this step; nothing was saved.' }));
  } else {
    box.replaceChildren(element('strong', { text: message }));
  }
}

// Runs `work` after every request of the item before it.
function enqueue(work) {
  const run = ui.queue.then(work, work);
  ui.queue = run.catch(() => {});
  return run;
}

// What a refused or failed request tells, and the item as it now is.
function handleError(error) {
  if (error instanceof RequestError && error.status === 0) {
    editorGone();
    return;
  }
  if (!(error instanceof RequestError)) {
    toast(String(error), 'error');
    return;
  }
  const body = error.body;
  if (body.state) applyState(body.state, { full: true });
  if (body.failure) {
    showFailure(body.failure, error.message);
  } else if (error.status === 409 && body.state) {
    toast(error.message, 'warning');
  } else {
    toast(error.message, 'error');
  }
  if (body.closed && ui.item) {
    ui.item = null;
    showCatalog();
  }
}

// ---- Catalog

const catalogView = new CatalogView($('items'), $('filter'), $('items-empty'), {
  changed: (catalog) => {
    ui.catalog = catalog;
    renderCatalog();
  },
  error: (error) => handleError(error),
  note: (text, kind) => toast(text, kind),
  status,
});

function renderCatalog() {
  const catalog = ui.catalog;
  if (!catalog) return;
  $('catalog-folder').textContent = catalog.folder;
  $('new-item').hidden = !catalog.canCreate;
  $('import-record').hidden = !catalog.canCreate;
  $('show-trash').hidden = !catalog.canCreate;
  catalogView.show(catalog);
}

async function loadCatalog() {
  status('Reading the catalog…');
  try {
    ui.catalog = await call('catalog');
    renderCatalog();
    status('');
  } catch (error) {
    handleError(error);
    status('');
  }
}

function showCatalog() {
  $('catalog-view').hidden = false;
  $('item-view').hidden = true;
  $('crumb-item').hidden = true;
  document.title = 'Tidewise editor';
  if (location.hash.startsWith('#item=')) history.replaceState(null, '', '#');
  loadCatalog();
}

async function newItem() {
  const chosen = await askNewItem(ui.catalog ? ui.catalog.items : []);
  if (!chosen) return;
  const path = chosen.name;
  try {
    ui.catalog = await call('create-item', chosen.template ? { name: path, template: chosen.template } : { name: path });
    renderCatalog();
    location.hash = `#item=${encodeURIComponent(path)}`;
  } catch (error) {
    handleError(error);
  }
}

async function importRecord(file) {
  const suggested = file.name.replace(/\.xml$/i, '') + '.xml';
  const name = await askText('Import an ISO 19139 or ISO 19115-3 record', 'File name of the new item', suggested);
  if (!name) return;
  const path = name.endsWith('.xml') ? name : `${name}.xml`;
  status(`Importing ${file.name}…`);
  try {
    const answer = await call('import-item', { name: path, fileName: file.name, content: await file.text() });
    ui.catalog = answer;
    renderCatalog();
    if (answer.created) toast(`Imported ${file.name} as ${answer.created}.`);
    else if (answer.message) toast(answer.message, 'warning');
  } catch (error) {
    handleError(error);
  }
  status('');
}

// ---- Item

const page = new PageView($('page'), {
  type: (control, text) => typed(control, text),
  flush: () => flushTyping(),
  pick: (control, item) => act({ kind: 'pick', control, value: item }),
  check: (control, on, item) => act({ kind: on ? 'check' : 'uncheck', control, ...(item === undefined ? {} : { value: item }) }),
  choose: (control) => act({ kind: 'choose', control }),
  select: (control, index) => act({ kind: 'select', control, value: index }),
  click: (control) => act({ kind: 'click', control }),
});

function renderTree() {
  const tree = $('tree');
  const hadFocus = tree.contains(document.activeElement) ? document.activeElement.dataset.unique || document.activeElement.dataset.book : null;
  drawTree(tree, ui.item, ui.openBooks, openPage);
  markTree(tree, problems.counts());
  if (hadFocus) tree.querySelector(`[data-unique="${CSS.escape(hadFocus)}"], [data-book="${CSS.escape(hadFocus)}"]`)?.focus();
}

function renderDirty() {
  const dirty = !!(ui.item && (ui.item.dirty || ui.typing));
  $('dirty-badge').hidden = !dirty;
  const name = ui.item ? ui.item.path : '';
  document.title = `${dirty ? '• ' : ''}${name} – Tidewise editor`;
}

// Takes the item's state from an answer. Without books the tree stays; only
// the open page's mark follows it.
function applyState(state, { full = false } = {}) {
  if (!state || !state.item) return;
  if (ui.item && ui.item.path !== state.item) return;
  const previousPage = ui.item && ui.item.page ? ui.item.page.uniqueName : null;
  ui.item = { ...(ui.item || {}), ...state };
  if (state.books) {
    renderTree();
  } else if (state.page && ui.item.books) {
    for (const book of ui.item.books) {
      for (const entry of book.entries) {
        if (entry.uniqueName === state.page.uniqueName) entry.completed = state.page.completed;
      }
    }
    renderTree();
  }
  const samePage = state.page && previousPage === state.page.uniqueName;
  showOutside(state, { reload: reloadFile, overwrite: () => review(true, { overwrite: true }) });
  if (full || !samePage) page.show(state.page);
  else page.update(state.page);
  if (!state.page) {
    $('page').replaceChildren(element('p', { class: 'no-page', text: 'Choose a page in the tree.' }));
  } else {
    ui.labels.set(state.page.uniqueName, page.labels);
  }
  renderDirty();
  scheduleProblems();
}

// ---- Problems

const problems = new ProblemsPanel($('problems'), {
  go: (uniqueName, control) => goToField(uniqueName, control),
  checkExport: () => loadProblems({ withExport: true }),
});

function scheduleProblems() {
  clearTimeout(ui.problemsTimer);
  ui.problemsTimer = setTimeout(() => loadProblems(), PROBLEMS_PAUSE_MS);
}

function loadProblems({ withExport = false } = {}) {
  if (withExport) flushTyping();
  return enqueue(async () => {
    if (!ui.item || ui.item.version === null) return;
    const path = ui.item.path;
    try {
      if (withExport) status('Checking the export…');
      const answer = await call('problems', versioned(withExport ? { export: true } : {}));
      if (!ui.item || ui.item.path !== path) return;
      if (withExport) applyStateQuietly(answer);
      problems.show(answer, ui.item.books, (unique, control) => ui.labels.get(unique)?.get(control));
      markTree($('tree'), problems.counts());
    } catch (error) {
      // A newer state is on its way; its own check follows it.
      if (!(error instanceof RequestError && error.status === 409)) handleError(error);
    } finally {
      if (withExport) status('');
    }
  });
}

// The state an answer carries, without asking for the problems again.
function applyStateQuietly(state) {
  applyState(state, { full: false });
  clearTimeout(ui.problemsTimer);
}

async function goToField(uniqueName, control) {
  if (!ui.item) return;
  if (!ui.item.page || ui.item.page.uniqueName !== uniqueName) await openPage(uniqueName);
  const target = control && $('page').querySelector(`[data-control="${CSS.escape(control)}"]`);
  const field = target && (target.matches('input, textarea, ul, button') ? target : target.querySelector('input, textarea, ul, button'));
  if (field) {
    field.focus();
    field.scrollIntoView({ block: 'nearest' });
  }
}

function versioned(extra = {}) {
  return { item: ui.item.path, version: ui.item.version, ...extra };
}

function typed(control, text) {
  if (ui.typing && ui.typing.control !== control) flushTyping();
  if (ui.typing) clearTimeout(ui.typing.timer);
  ui.typing = { control, text, timer: setTimeout(() => flushTyping(), TYPING_PAUSE_MS) };
  renderDirty();
}

// Sends what was typed and not yet sent: one Change with the whole text.
function flushTyping() {
  const typing = ui.typing;
  if (!typing) return ui.queue;
  clearTimeout(typing.timer);
  ui.typing = null;
  return act({ kind: 'type', control: typing.control, value: typing.text });
}

function act(edit) {
  if (edit.kind !== 'type' && ui.typing) flushTyping();
  const pageName = ui.item && ui.item.page ? ui.item.page.uniqueName : null;
  return enqueue(async () => {
    if (!ui.item || !pageName) return;
    try {
      const state = await call('edit', versioned({ page: pageName, edit }));
      showFailure(null);
      applyState(state);
    } catch (error) {
      handleError(error);
      if (edit.kind === 'type' && error instanceof RequestError && error.status !== 0) {
        // What was typed stays in sight, said not to be in the item.
        showFailure(null, `Not applied: “${edit.value}” did not reach the item (${error.message}). `
          + 'The page shows the item as it now is; type it again if you still want it.');
      }
    }
  });
}

async function openItem(path, pageName) {
  $('catalog-view').hidden = true;
  $('item-view').hidden = false;
  $('crumb-item').hidden = false;
  $('crumb-item').textContent = path;
  $('item-heading').textContent = path;
  showFailure(null);
  ui.item = { path, version: null, books: null, page: null };
  ui.pageAsked = null;
  ui.openBooks = new Map();
  ui.labels = new Map();
  problems.clear();
  page.clear();
  $('tree').replaceChildren(element('p', { class: 'loading', text: 'Loading the pages…' }));
  status(`Opening ${path}…`);
  await enqueue(async () => {
    try {
      const state = await call('open-item', { item: path });
      applyState(state, { full: true });
      const first = pageName || (state.page ? null : state.books?.find((b) => !b.offered)?.entries[0]?.uniqueName);
      if (first) await openPageNow(first);
      follow(path, () => ui.item, (answer) => enqueue(async () => {
        if (!ui.item || ui.item.path !== path || ui.typing) return;
        if (answer.version <= ui.item.version && !answer.outside) return;
        try {
          applyState(await call('item', { item: path }), { full: true });
        } catch (error) {
          handleError(error);
        }
      }));
      if (state.recovery) {
        await offerRecovery(state, (name, extra) => call(name, versioned(extra)),
          (answer) => applyState(answer, { full: true }), toast);
      }
    } catch (error) {
      handleError(error);
      if (!ui.item || ui.item.version === null) {
        ui.item = null;
        showCatalog();
      }
    }
  });
  status('');
}

async function openPageNow(uniqueName) {
  if (!ui.item) return;
  try {
    status('Opening the page…');
    const state = await call('open-page', versioned({ page: uniqueName }));
    showFailure(null);
    applyState(state, { full: true });
    const focus = $('page').querySelector('input, textarea');
    if (focus) focus.focus({ preventScroll: true });
  } catch (error) {
    handleError(error);
  } finally {
    status('');
  }
}

// A click on the entry of the page already open leaves the page as it is
// (what was typed, the scroll, an open list) and only takes the focus to it.
function openPage(uniqueName) {
  flushTyping();
  if (uniqueName === (ui.pageAsked ?? ui.item?.page?.uniqueName)) {
    $('page').querySelector('input, textarea')?.focus({ preventScroll: true });
    return ui.queue;
  }
  ui.pageAsked = uniqueName;
  return enqueue(async () => {
    try {
      await openPageNow(uniqueName);
    } finally {
      if (ui.pageAsked === uniqueName) ui.pageAsked = null;
    }
  });
}

async function review(canSave, { overwrite = false } = {}) {
  flushTyping();
  return enqueue(async () => {
    if (!ui.item) return;
    try {
      if (overwrite) {
        const sure = await choose('Overwrite the file', `Replace what the other program wrote to ${ui.item.path} with your version? Its change is lost.`,
          [{ label: 'Review and overwrite…', value: true, primary: true }, { label: 'Cancel', value: false }], false);
        if (!sure) return;
      }
      const answer = await call('review', versioned());
      applyState(answer, { full: true });
      const confirmed = await reviewChanges(answer.review, canSave);
      if (!confirmed) return;
      const saved = await call('save', versioned({ reviewed: answer.review.digest, overwrite }));
      showFailure(null);
      applyState(saved, { full: true });
      toast(`Saved ${ui.item.path}.`);
    } catch (error) {
      handleError(error);
    }
  });
}

// Takes back the last step (or makes it again), across pages and imports.
function undoRedo(name) {
  flushTyping();
  return enqueue(async () => {
    if (!ui.item) return;
    try {
      applyState(await call(name, versioned()), { full: true });
      showFailure(null);
    } catch (error) {
      handleError(error);
    }
  });
}

function reloadFile() {
  flushTyping();
  return enqueue(async () => {
    if (!ui.item) return;
    try {
      const answer = await call('reload-file', versioned());
      showFailure(null);
      applyState(answer, { full: true });
      if (answer.conflicts.length) await showConflicts(answer.conflicts);
      const lost = answer.notReapplied ? ` ${answer.notReapplied} could not be made again.` : '';
      toast(`Read ${ui.item.path} again; your edits are made on top of it.${lost}`);
    } catch (error) {
      handleError(error);
    }
  });
}

function revert() {
  flushTyping();
  return enqueue(async () => {
    if (!ui.item) return;
    if (ui.item.dirty) {
      const sure = await choose('Revert', `Drop every unsaved change of ${ui.item.path} and read it again from its file?`,
        [{ label: 'Revert', value: true, primary: true }, { label: 'Cancel', value: false }], false);
      if (!sure) return;
    }
    try {
      applyState(await call('revert', versioned()), { full: true });
      showFailure(null);
      toast('Reverted to the saved file.');
    } catch (error) {
      handleError(error);
    }
  });
}

function importInto(file) {
  flushTyping();
  return enqueue(async () => {
    if (!ui.item) return;
    const mode = await choose('Import into this item', `Import ${file.name} into ${ui.item.path}: replace the item's metadata with the record's, or fill in only what the item does not have yet? Either way nothing is saved until you review and save.`,
      [{ label: 'Replace its metadata', value: 'replace' }, { label: 'Fill only what is missing', value: 'fill', primary: true }, { label: 'Cancel', value: null }], null);
    if (!mode) return;
    status(`Importing ${file.name}…`);
    try {
      const answer = await call('import', versioned({ fileName: file.name, content: await file.text(), mode }));
      showFailure(null);
      applyState(answer, { full: true });
      if (answer.imported) toast(`Imported ${file.name}. Review the changes before saving.`);
      else toast('The import changed nothing.', 'warning');
    } catch (error) {
      handleError(error);
    } finally {
      status('');
    }
  });
}

function exportItem() {
  flushTyping();
  return enqueue(async () => {
    if (!ui.item) return;
    const format = await choose('Export', `Write ${ui.item.path} as a record of which standard?`,
      [{ label: 'ISO 19139', value: 'iso19139', primary: true }, { label: 'ISO 19115-3', value: 'iso19115-3' },
        { label: 'Cancel', value: null }],
      null);
    if (!format) return;
    try {
      const answer = await call('export', versioned({ format }));
      applyState(answer, { full: true });
      if (!answer.export) {
        toast(answer.message || 'Nothing was exported.', 'warning');
        return;
      }
      const blob = new Blob([answer.export.content], { type: 'application/xml' });
      const url = URL.createObjectURL(blob);
      const link = element('a', { href: url, download: answer.export.fileName });
      document.body.append(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(url), 10000);
      toast(`Exported as ${answer.export.fileName}.`);
    } catch (error) {
      handleError(error);
    }
  });
}

async function closeItem() {
  flushTyping();
  await enqueue(async () => {
    if (!ui.item) return;
    let discard = false;
    if (ui.item.dirty) {
      const choice = await choose('Unsaved changes', `${ui.item.path} has changes that are not saved.`,
        [{ label: 'Review and save…', value: 'save', primary: true }, { label: 'Discard them', value: 'discard' }, { label: 'Cancel', value: 'cancel' }],
        'cancel');
      if (choice === 'cancel') return;
      if (choice === 'save') {
        setTimeout(() => review(true), 0);
        return;
      }
      discard = true;
    }
    try {
      await call('close-item', versioned({ discard }));
      ui.item = null;
      showCatalog();
    } catch (error) {
      handleError(error);
    }
  });
}

// ---- Wiring

function route() {
  const match = /^#item=([^&]*)(?:&page=(.*))?$/.exec(location.hash);
  if (match) {
    const path = decodeURIComponent(match[1]);
    if (!ui.item || ui.item.path !== path) openItem(path, match[2] ? decodeURIComponent(match[2]) : null);
  } else if (ui.item) {
    closeItem();
  } else {
    showCatalog();
  }
}

function pickFile(input, then) {
  input.value = '';
  input.onchange = () => {
    if (input.files && input.files[0]) then(input.files[0]);
  };
  input.click();
}

$('show-trash').addEventListener('click', () => catalogView.showTrash());
$('new-item').addEventListener('click', newItem);
$('import-record').addEventListener('click', () => pickFile($('import-record-file'), importRecord));
$('review').addEventListener('click', () => review(false));
$('save').addEventListener('click', () => review(true));
$('revert').addEventListener('click', revert);
$('undo').addEventListener('click', () => undoRedo('undo'));
$('redo').addEventListener('click', () => undoRedo('redo'));
$('import').addEventListener('click', () => pickFile($('import-file'), importInto));
$('export').addEventListener('click', exportItem);
$('close').addEventListener('click', () => {
  if (location.hash.startsWith('#item=')) history.pushState(null, '', '#');
  closeItem();
});
$('crumb-catalog').addEventListener('click', (event) => {
  event.preventDefault();
  if (ui.item) closeItem();
  else showCatalog();
});
$('home-link').addEventListener('click', (event) => {
  event.preventDefault();
  $('crumb-catalog').click();
});
window.addEventListener('hashchange', route);
window.addEventListener('beforeunload', (event) => {
  if (ui.item && (ui.item.dirty || ui.typing)) {
    event.preventDefault();
    event.returnValue = '';
  }
});
document.addEventListener('keydown', (event) => {
  // In a text box the browser's own undo of its text comes first.
  const inText = event.target instanceof HTMLInputElement || event.target instanceof HTMLTextAreaElement;
  if ((event.ctrlKey || event.metaKey) && ui.item && !inText && !document.querySelector('dialog[open]')) {
    const key = event.key.toLowerCase();
    if (key === 'z' || key === 'y') {
      event.preventDefault();
      undoRedo(key === 'y' || event.shiftKey ? 'redo' : 'undo');
      return;
    }
  }
  if ((event.ctrlKey || event.metaKey) && event.key === 's' && ui.item) {
    event.preventDefault();
    review(true);
  }
});

route();
watchEditor();
