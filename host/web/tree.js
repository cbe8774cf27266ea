// The item's tree of pages as an ARIA tree: books that open and close, and
// their pages. One entry at a time is in the tab order; the arrow keys move
// between the entries shown, Right and Left open and close a book, Home and
// End go to the first and last, Enter opens a page, and typing the start of
// a title goes to it.

import { element } from './dialogs.js';
import { typeAhead } from './fields.js';

// `books`: the tree as the editor sends it; `openBooks`: which books the
// person opened or closed; `openPage(uniqueName)`. A tree of the same books
// and pages as the one shown is brought up to date in place: drawn anew, it
// would swallow a click whose press and release fell on either side of an
// answer (the press that leaves a text box sends what was typed).
export function renderTree(root, item, openBooks, openPage) {
  if (!item || !item.books) {
    root.replaceChildren();
    return;
  }
  const shape = JSON.stringify(item.books.map((b) => [b.key, b.caption, !!b.offered, b.entries.map((e) => [e.uniqueName, e.title])]));
  const drawn = root.querySelector(':scope > [role="tree"]');
  if (!drawn || drawn.dataset.shape !== shape) drawTree(root, item, openBooks, openPage).dataset.shape = shape;
  const tree = root.querySelector(':scope > [role="tree"]');
  const openName = item.page ? item.page.uniqueName : null;
  for (const book of item.books) {
    for (const e of book.entries) showEntry(tree.querySelector(`.entry[data-unique="${CSS.escape(e.uniqueName)}"]`), e, openName);
    if (book.offered) continue;
    const node = tree.querySelector(`li[data-book="${CSS.escape(book.key)}"]`);
    const open = openBooks.has(book.key)
      ? openBooks.get(book.key)
      : book.entries.some((e) => e.uniqueName === openName) || book === item.books[0];
    setAttribute(node, 'aria-expanded', open ? 'true' : 'false');
    showMark(node.querySelector('.book-caption > span'), book.entries.some((e) => !e.completed)
      ? { class: 'mark', title: 'A page of this book is not completed', 'aria-label': 'not completed', text: '●' } : null);
  }
  // One entry in the tab order: the one with the focus, else the open
  // page's if shown, else the first.
  const shown = visible(tree);
  const focused = shown.find((node) => node === document.activeElement);
  const current = tree.querySelector('[aria-current="page"]');
  const first = focused || (current && shown.includes(current) ? current : shown[0]);
  for (const node of tree.querySelectorAll('[role="treeitem"]')) setAttribute(node, 'tabindex', node === first ? '0' : '-1');
}

// An entry's marks: open, not completed, failed.
function showEntry(button, e, openName) {
  const title = button.querySelector('.entry-title');
  showMark(title, e.failure ? { class: 'mark failed', title: e.failure, 'aria-label': 'failed', text: '⚠' }
    : e.completed ? null : { class: 'mark', title: 'This page is not completed', 'aria-label': 'not completed', text: '●' });
  setAttribute(button, 'aria-selected', e.uniqueName === openName ? 'true' : 'false');
  setAttribute(button, 'aria-current', e.uniqueName === openName ? 'page' : null);
}

// The mark beside `title` (before a count of problems), replaced only when
// it changes: a press on it stays a click.
function showMark(title, mark) {
  const shown = title.nextElementSibling?.classList.contains('mark') ? title.nextElementSibling : null;
  if (shown && mark && shown.className === mark.class && shown.title === mark.title) return;
  shown?.remove();
  if (mark) title.after(element('span', mark));
}

function setAttribute(node, name, value) {
  if (value === null) node.removeAttribute(name);
  else if (node.getAttribute(name) !== value) node.setAttribute(name, value);
}

// The tree's books and pages, their marks left to renderTree.
function drawTree(root, item, openBooks, openPage) {
  const tree = element('ul', { role: 'tree', 'aria-label': 'Pages of the item' });
  const entry = (e, level) => {
    const button = element('button', {
      type: 'button', class: 'entry', role: 'treeitem', 'data-unique': e.uniqueName,
      'aria-level': String(level), tabindex: '-1',
    }, element('span', { class: 'entry-title', text: e.title }));
    button.addEventListener('click', () => openPage(e.uniqueName));
    return element('li', { role: 'none' }, button);
  };
  for (const book of item.books) {
    if (book.offered) {
      for (const e of book.entries) tree.append(Object.assign(entry(e, 1), { className: 'offered' }));
      continue;
    }
    const caption = element('span', { class: 'book-caption' }, element('span', { text: book.caption }));
    const group = element('ul', { role: 'group' });
    for (const e of book.entries) group.append(entry(e, 2));
    const node = element('li', {
      role: 'treeitem', class: 'book', 'data-book': book.key, 'aria-level': '1',
      'aria-expanded': 'false', tabindex: '-1',
    }, caption, group);
    caption.addEventListener('click', () => setOpen(node, node.getAttribute('aria-expanded') !== 'true', openBooks));
    tree.append(node);
  }
  root.replaceChildren(tree);
  const seek = {};
  tree.addEventListener('keydown', (event) => keydown(event, tree, openBooks, seek));
  tree.addEventListener('focusin', (event) => {
    if (event.target.getAttribute('role') !== 'treeitem') return;
    for (const node of tree.querySelectorAll('[role="treeitem"]')) node.tabIndex = node === event.target ? 0 : -1;
  });
  return tree;
}

function setOpen(book, open, openBooks) {
  book.setAttribute('aria-expanded', open ? 'true' : 'false');
  openBooks.set(book.dataset.book, open);
}

// The entries a person sees, in order: those of closed books left out.
function visible(tree) {
  return [...tree.querySelectorAll('[role="treeitem"]')].filter((node) => {
    const book = node.parentElement.closest('li.book');
    return !book || book === node || book.getAttribute('aria-expanded') === 'true';
  });
}

function keydown(event, tree, openBooks, seek) {
  const item = event.target.closest('[role="treeitem"]');
  if (!item || event.ctrlKey || event.metaKey || event.altKey) return;
  const shown = visible(tree);
  const at = shown.indexOf(item);
  const isBook = item.classList.contains('book');
  const expanded = item.getAttribute('aria-expanded') === 'true';
  let next = null;
  switch (event.key) {
    case 'ArrowDown': next = shown[at + 1]; break;
    case 'ArrowUp': next = shown[at - 1]; break;
    case 'Home': next = shown[0]; break;
    case 'End': next = shown[shown.length - 1]; break;
    case 'ArrowRight':
      if (isBook && !expanded) setOpen(item, true, openBooks);
      else if (isBook) next = item.querySelector('[role="treeitem"]');
      break;
    case 'ArrowLeft':
      if (isBook && expanded) setOpen(item, false, openBooks);
      else if (!isBook) next = item.parentElement.closest('li.book');
      break;
    case 'Enter':
    case ' ':
      if (isBook) setOpen(item, !expanded, openBooks);
      else item.click();
      break;
    default:
      if (event.key.length !== 1) return;
      next = typeAhead(seek, event.key, shown, at,
        (node) => node.querySelector('.entry-title, .book-caption')?.textContent || '');
      if (!next) return;
  }
  event.preventDefault();
  if (next) next.focus();
}
