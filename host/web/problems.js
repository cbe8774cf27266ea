// The item's problems: a panel listing them page by page, each a link to
// its page and field, and the marks of the tree's entries. The list comes
// from the editor's "problems" request; the export's check is asked for
// apart, as it costs an export.

import { element } from './dialogs.js';
import { problemText } from './fields.js';

export class ProblemsPanel {
  // `go(uniqueName, control)` opens the page and puts the focus on the field.
  constructor(root, { go, checkExport }) {
    this.root = root;
    this.go = go;
    this.list = root.querySelector('#problems-list');
    this.count = root.querySelector('#problems-count');
    this.note = root.querySelector('#problems-note');
    root.querySelector('#check-export').addEventListener('click', () => checkExport());
    this.problems = [];
  }

  clear() {
    this.problems = [];
    this.list.replaceChildren();
    this.count.textContent = '';
    this.note.textContent = '';
  }

  // `books`: the tree, for the pages' order and titles; `labels(unique,
  // control)` the field's label when the page has been drawn.
  show(answer, books, labels) {
    this.problems = answer.problems || [];
    const order = new Map();
    const titles = new Map();
    for (const book of books || []) {
      for (const entry of book.entries) {
        order.set(entry.uniqueName, order.size);
        titles.set(entry.uniqueName, entry.title);
      }
    }
    const groups = new Map();
    for (const problem of this.problems) {
      const key = problem.page ? problem.page.uniqueName : '';
      if (!groups.has(key)) groups.set(key, []);
      groups.get(key).push(problem);
    }
    const keys = [...groups.keys()].sort((a, b) =>
      (a === '' ? 1e9 : order.get(a) ?? 1e8) - (b === '' ? 1e9 : order.get(b) ?? 1e8));
    this.list.replaceChildren();
    for (const key of keys) {
      const group = groups.get(key);
      const title = key === '' ? 'The whole item' : titles.get(key) || group[0].page.title || key;
      const items = element('ul');
      for (const problem of group) {
        const field = problem.control ? labels(key, problem.control) : null;
        const text = `${field ? `${field}: ` : ''}${problemText(problem)}`;
        let node;
        if (key !== '') {
          node = element('button', { type: 'button', class: 'problem-link', 'data-page': key, 'data-control': problem.control || '' });
          node.append(element('span', { class: `problem-kind ${problem.kind}`, text: problem.kind === 'missing' ? 'Missing' : 'Invalid' }), ` ${text}`);
          node.addEventListener('click', () => this.go(key, problem.control || null));
        } else {
          node = element('span', { class: 'problem-text', text: problem.path ? `${text} (${problem.path})` : text });
        }
        items.append(element('li', {}, node));
      }
      this.list.append(element('li', { class: 'problem-page' }, element('h3', { text: title }), items));
    }
    const n = this.problems.length;
    this.count.textContent = n === 0 ? 'none' : String(n);
    this.root.classList.toggle('has-problems', n > 0);
    this.note.textContent = answer.exportMessage
      ? answer.exportMessage
      : answer.exportChecked ? 'The export was checked against the ISO schemas too.' : '';
    if (n === 0) this.list.append(element('li', { class: 'problem-none', text: 'No problems found.' }));
  }

  // How many problems each page has.
  counts() {
    const counts = new Map();
    for (const problem of this.problems) {
      if (!problem.page) continue;
      counts.set(problem.page.uniqueName, (counts.get(problem.page.uniqueName) || 0) + 1);
    }
    return counts;
  }
}

// Marks the tree's entries that have problems, with their number.
export function markTree(tree, counts) {
  for (const entry of tree.querySelectorAll('.entry[data-unique]')) {
    entry.querySelector('.problem-mark')?.remove();
    const n = counts.get(entry.dataset.unique);
    if (!n) continue;
    const label = `${n} problem${n === 1 ? '' : 's'}`;
    entry.append(element('span', { class: 'problem-mark', title: label, 'aria-label': label, text: `!${n}` }));
  }
}
