// The catalog's table: sorted by any column, searched through the editor's
// index of titles, abstracts and keywords, and each item renamed,
// duplicated or deleted into the trash, from which it can be restored.

import { call } from './api.js';
import { choose, element, modal } from './dialogs.js';

const SEARCH_PAUSE_MS = 250;
const COLUMNS = [
  { key: 'title', label: 'Title', value: (item) => (item.title || item.fileName).toLowerCase() },
  { key: 'path', label: 'File', value: (item) => item.path },
  { key: 'savedAt', label: 'Last saved', value: (item) => item.savedAt || '' },
  { key: 'notCompleted', label: 'Pages not completed', number: true, value: (item) => item.notCompleted ?? -1 },
];

const collator = new Intl.Collator(undefined, { sensitivity: 'base', numeric: true });

function formatTime(iso) {
  if (!iso) return '';
  return new Date(iso).toLocaleString(undefined, { dateStyle: 'medium', timeStyle: 'short' });
}

export class CatalogView {
  // `app`: {changed(catalog), error(e), note(text, kind), status(text)}
  constructor(table, search, empty, app) {
    this.table = table;
    this.search = search;
    this.empty = empty;
    this.app = app;
    this.catalog = null;
    this.sort = null;  // {key, descending}; none: by path, or by relevance when searching
    this.matches = null;  // paths found by the search, best first; null: no search
    this.searchTimer = null;
    this.searched = '';
    search.addEventListener('input', () => {
      clearTimeout(this.searchTimer);
      this.searchTimer = setTimeout(() => this.runSearch(), SEARCH_PAUSE_MS);
    });
    this.drawHead();
  }

  drawHead() {
    const row = element('tr');
    for (const column of COLUMNS) {
      const sorted = this.sort && this.sort.key === column.key;
      const th = element('th', { scope: 'col', class: column.number ? 'number' : '' });
      th.setAttribute('aria-sort', sorted ? (this.sort.descending ? 'descending' : 'ascending') : 'none');
      const button = element('button', { type: 'button', class: 'sort', text: column.label });
      if (sorted) button.append(element('span', { 'aria-hidden': 'true', text: this.sort.descending ? ' ▼' : ' ▲' }));
      button.addEventListener('click', () => {
        this.sort = { key: column.key, descending: sorted ? !this.sort.descending : false };
        this.drawHead();
        this.render();
        this.table.querySelector(`thead th:nth-child(${COLUMNS.indexOf(column) + 1}) button`).focus();
      });
      th.append(button);
      row.append(th);
    }
    row.append(element('th', { scope: 'col' }, element('span', { class: 'visually-hidden', text: 'State' })));
    row.append(element('th', { scope: 'col' }, element('span', { class: 'visually-hidden', text: 'Actions' })));
    this.table.querySelector('thead').replaceChildren(row);
  }

  show(catalog) {
    this.catalog = catalog;
    // What the editor changed may change what a search finds.
    if (this.searched) this.runSearch();
    else this.render();
  }

  async runSearch() {
    const text = this.search.value.trim();
    this.searched = text;
    if (!text) {
      this.matches = null;
      this.render();
      return;
    }
    if (this.catalog && !this.catalog.canCreate) {
      // One item: no index to ask; its title is enough.
      this.matches = this.catalog.items.filter((item) => `${item.title} ${item.path}`.toLowerCase().includes(text.toLowerCase())).map((item) => item.path);
      this.render();
      return;
    }
    try {
      const answer = await call('search-items', { text });
      if (this.search.value.trim() !== text) return;
      this.matches = answer.matches;
      this.render();
    } catch (error) {
      this.app.error(error);
    }
  }

  items() {
    let items = this.catalog.items.slice();
    if (this.matches) {
      const rank = new Map(this.matches.map((p, i) => [p, i]));
      items = items.filter((item) => rank.has(item.path));
      if (!this.sort) items.sort((a, b) => rank.get(a.path) - rank.get(b.path));
    }
    if (this.sort) {
      const column = COLUMNS.find((c) => c.key === this.sort.key);
      items.sort((a, b) => {
        const x = column.value(a);
        const y = column.value(b);
        const order = column.number ? x - y : collator.compare(x, y);
        return (this.sort.descending ? -order : order) || collator.compare(a.path, b.path);
      });
    }
    return items;
  }

  render() {
    const catalog = this.catalog;
    if (!catalog) return;
    const body = this.table.querySelector('tbody');
    body.replaceChildren();
    const items = this.items();
    for (const item of items) {
      const open = element('a', { href: `#item=${encodeURIComponent(item.path)}`, class: 'item-link', text: item.title || item.fileName });
      const state = element('td', { class: 'state' });
      if (item.dirty) state.append(element('span', { class: 'badge', text: 'Unsaved changes' }));
      else if (item.open) state.append(element('span', { class: 'badge quiet', text: 'Open' }));
      if (item.error) state.append(element('span', { class: 'badge error', text: 'Unreadable', title: item.error }));
      const count = item.notCompleted === null || item.notCompleted === undefined ? '–' : String(item.notCompleted);
      const actions = element('td', { class: 'actions' });
      if (catalog.canCreate) {
        const name = item.title || item.fileName;
        for (const [label, act] of [['Rename', () => this.rename(item)], ['Duplicate', () => this.duplicate(item)], ['Delete', () => this.remove(item)]]) {
          const button = element('button', { type: 'button', class: 'small', text: label, 'aria-label': `${label} ${name}` });
          button.addEventListener('click', act);
          actions.append(button);
        }
      }
      body.append(element('tr', { 'data-path': item.path },
        element('td', { class: 'title' }, open),
        element('td', { class: 'file', text: item.path }),
        element('td', { class: 'time', text: formatTime(item.savedAt) }),
        element('td', { class: `number${item.notCompleted ? ' attention' : ''}`, text: count }),
        state,
        actions));
    }
    this.empty.hidden = items.length > 0;
    this.empty.textContent = this.matches ? `No item holds “${this.searched}”.` : 'No item matches.';
  }

  async request(name, body, done) {
    try {
      const answer = await call(name, body);
      this.app.changed(answer);
      if (done) this.app.note(done(answer));
      return answer;
    } catch (error) {
      this.app.error(error);
      return null;
    }
  }

  async rename(item) {
    const to = await askName('Rename the item', `New file name for ${item.path}`, item.path, 'Rename');
    if (!to || to === item.path) return;
    await this.request('rename-item', { item: item.path, to }, () => `Renamed ${item.path} to ${to}.`);
  }

  async duplicate(item) {
    const to = await askName('Duplicate the item', `File name of the copy of ${item.path}`, item.path.replace(/\.xml$/, '-copy.xml'), 'Duplicate');
    if (!to) return;
    await this.request('duplicate-item', { item: item.path, to }, () => `Made ${to}, a copy of ${item.path}.`);
  }

  async remove(item) {
    const sure = await choose('Delete the item', `Move ${item.path} to the trash? It can be restored from there until the trash is emptied.`,
      [{ label: 'Move to the trash', value: true, primary: true }, { label: 'Cancel', value: false }], false);
    if (!sure) return;
    await this.request('delete-item', { item: item.path }, () => `Moved ${item.path} to the trash.`);
  }

  // The items in the trash, each to restore, and the trash to empty.
  async showTrash() {
    let entries;
    try {
      entries = (await call('trash')).entries;
    } catch (error) {
      this.app.error(error);
      return;
    }
    const chosen = await modal('trash', (dialog, close) => {
      dialog.append(element('h2', { text: 'Trash' }));
      if (entries.length === 0) {
        dialog.append(element('p', { text: 'The trash is empty.' }));
      } else {
        const list = element('ul', { class: 'trash-list' });
        for (const entry of entries) {
          const restore = element('button', { type: 'button', class: 'small', text: 'Restore', 'aria-label': `Restore ${entry.path}` });
          restore.addEventListener('click', () => close({ restore: entry }));
          list.append(element('li', {},
            element('span', { class: 'trash-path', text: entry.path }),
            element('span', { class: 'trash-time', text: `deleted ${new Date(entry.deletedNs / 1e6).toLocaleString()}` }),
            restore));
        }
        dialog.append(list);
      }
      const buttons = element('div', { class: 'buttons' });
      if (entries.length) {
        const empty = element('button', { type: 'button', text: 'Empty the trash' });
        empty.addEventListener('click', () => close({ empty: true }));
        buttons.append(empty);
      }
      const done = element('button', { type: 'button', text: 'Close', 'data-default': '' });
      done.addEventListener('click', () => close(null));
      buttons.append(done);
      dialog.append(buttons);
    }, null);
    if (!chosen) return;
    if (chosen.restore) {
      await this.request('restore-item', { entry: chosen.restore.entry }, (a) => `Restored ${a.restored}.`);
    } else if (chosen.empty) {
      const sure = await choose('Empty the trash', `Delete the ${entries.length} item${entries.length === 1 ? '' : 's'} in the trash for good?`,
        [{ label: 'Empty the trash', value: true, primary: true }, { label: 'Cancel', value: false }], false);
      if (!sure) return;
      try {
        const answer = await call('empty-trash');
        this.app.note(`Deleted ${answer.emptied} item${answer.emptied === 1 ? '' : 's'} for good.`);
      } catch (error) {
        this.app.error(error);
      }
    }
  }
}

// A file name, ending in .xml once given.
function askName(title, label, initial, action) {
  return modal('ask-text', (dialog, close) => {
    const input = element('input', { type: 'text', id: 'ask-name', 'data-default': '' });
    input.value = initial;
    const form = element('form', { method: 'dialog' });
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      const name = input.value.trim();
      close(name ? (name.endsWith('.xml') ? name : `${name}.xml`) : null);
    });
    const cancel = element('button', { type: 'button', text: 'Cancel' });
    cancel.addEventListener('click', () => close(null));
    form.append(element('label', {}, element('span', { text: label }), input),
      element('div', { class: 'buttons' }, element('button', { type: 'submit', class: 'primary', text: action }), cancel));
    dialog.append(element('h2', { text: title }), form);
  }, null);
}

// "New item": its file name, and the item it starts from, if any.
export function askNewItem(items) {
  return modal('ask-text new-item', (dialog, close) => {
    const input = element('input', { type: 'text', id: 'new-item-name', 'data-default': '' });
    input.value = 'new-item.xml';
    const select = element('select', { id: 'new-item-template' });
    select.append(element('option', { value: '', text: 'An empty item' }));
    for (const item of items) select.append(element('option', { value: item.path, text: item.title ? `${item.title} (${item.path})` : item.path }));
    const form = element('form', { method: 'dialog' });
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      const name = input.value.trim();
      if (!name) return;
      close({ name: name.endsWith('.xml') ? name : `${name}.xml`, template: select.value || null });
    });
    const cancel = element('button', { type: 'button', text: 'Cancel' });
    cancel.addEventListener('click', () => close(null));
    form.append(
      element('label', {}, element('span', { text: 'File name' }), input),
      element('label', {}, element('span', { text: 'Start from' }), select),
      element('div', { class: 'buttons' }, element('button', { type: 'submit', class: 'primary', text: 'Create' }), cancel));
    dialog.append(element('h2', { text: 'New item' }), form);
  }, null);
}
