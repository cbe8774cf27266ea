// What the editor keeps of the author's work, as the tab shows it: edits a
// stopped editor kept, offered again, and an editor that is gone said so
// instead of leaving a box nobody can answer.

import { choose, element, reviewChanges } from './dialogs.js';

const HEARTBEAT_MS = 2000;

// Offers the edits a stopped editor kept for this item: restored, they are
// shown in the review before they are kept. `request(name, extra)` sends a
// request of the item; `apply(state)` takes its answer.
export async function offerRecovery(state, request, apply, toast) {
  const kept = state.recovery;
  if (!kept) return;
  const when = kept.written ? new Date(kept.written).toLocaleString() : 'earlier';
  const steps = `${kept.steps} unsaved edit${kept.steps === 1 ? '' : 's'}`;
  const choice = await choose('Unsaved edits were kept',
    `The editor stopped (${when}) while ${state.item} had ${steps}. Restore them, or discard them?`,
    [{ label: 'Restore and review…', value: 'restore', primary: true },
      { label: 'Discard them', value: 'discard' },
      { label: 'Decide later', value: 'later' }], 'later');
  if (choice === 'later') return;
  if (choice === 'discard') {
    apply(await request('recover', { restore: false }));
    toast('The kept edits were discarded.');
    return;
  }
  const answer = await request('recover', { restore: true });
  apply(answer);
  const keep = await reviewChanges(answer.review, true, {
    title: 'Restored edits', confirm: 'Keep them', cancel: 'Discard them',
  });
  if (keep) {
    const lost = answer.notRestored ? ` ${answer.notRestored} could not be made again.` : '';
    toast(`Restored ${answer.restored} edit${answer.restored === 1 ? '' : 's'}; they are not saved yet.${lost}`);
  } else {
    apply(await request('revert', {}));
    toast('The restored edits were discarded.');
  }
}

let gone = false;

// The editor stopped: every box it asked is dropped (no answer can reach
// it) and the tab says what became of the edits.
export function editorGone() {
  if (gone) return;
  gone = true;
  for (const dialog of document.querySelectorAll('dialog')) {
    if (dialog.open) dialog.close();
    if (dialog.id !== 'dialog') dialog.remove();
  }
  const banner = element('div', { class: 'gone', role: 'alert', id: 'editor-gone' },
    element('strong', { text: 'The editor has stopped.' }),
    element('span', {
      text: ' Nothing typed here reaches the item any more. Edits it received were kept on disk: '
        + 'start “tidewise serve” again and open the item to restore them.',
    }));
  document.body.prepend(banner);
  document.body.classList.add('editor-gone');
}


// Asks the editor every few seconds whether it is still there; a request
// that cannot reach it tells at once as well.
export function watchEditor() {
  const beat = async () => {
    if (gone) return;
    try {
      const response = await fetch('/api/pending', {
        method: 'POST',
        headers: { 'Content-Type': 'application/json' },
        body: '{}',
        credentials: 'same-origin',
      });
      if (!response.ok && response.status !== 409) throw new Error(String(response.status));
    } catch (error) {
      editorGone();
      return;
    }
    setTimeout(beat, HEARTBEAT_MS);
  };
  setTimeout(beat, HEARTBEAT_MS);
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let following = 0;  // only the latest follower goes on

// Follows an open item: whatever another tab does to it, or another program
// to its file, reaches this tab within a second. `current()` is the state
// the tab shows (or null once it shows another item); `refresh(answer)`
// brings the tab up to date.
export async function follow(path, current, refresh) {
  const mine = ++following;
  let outsideKnown = false;
  while (!gone && mine === following) {
    const shown = current();
    if (!shown || shown.path !== path || shown.version === null) return;
    let answer;
    try {
      const response = await fetch('/api/wait', {
        method: 'POST',
        headers: { 'Content-Type': 'application/json' },
        body: JSON.stringify({ item: path, version: shown.version, outsideKnown }),
        credentials: 'same-origin',
      });
      if (!response.ok) throw new Error(String(response.status));
      answer = await response.json();
    } catch (error) {
      editorGone();
      return;
    }
    if (!answer.waited) {
      await sleep(1000);
      continue;
    }
    if (!answer.open) return;
    if (answer.outside) outsideKnown = true;
    // Versions only grow: one the tab has already seen (its own request's,
    // on the way) is no news.
    if (answer.outside || answer.version > (current()?.version ?? Infinity)) await refresh(answer);
  }
}

// The bar that says another program changed the item's file, with the
// author's two ways on: read it again under their edits, or overwrite it.
export function showOutside(state, { reload, overwrite }) {
  let bar = document.getElementById('outside');
  if (!state || !state.outside) {
    if (bar) bar.remove();
    return;
  }
  if (!bar) {
    bar = element('div', { class: 'outside', id: 'outside', role: 'alert' });
    const workspace = document.querySelector('#item-view .workspace');
    workspace.before(bar);
  }
  const when = state.outside.changedAt ? ` (${new Date(state.outside.changedAt).toLocaleString()})` : '';
  const again = element('button', { type: 'button', id: 'outside-reload', text: 'Read it again and keep my edits' });
  again.addEventListener('click', reload);
  const mine = element('button', { type: 'button', id: 'outside-overwrite', text: 'Overwrite it with my version…' });
  mine.addEventListener('click', overwrite);
  bar.replaceChildren(
    element('strong', { text: `${state.outside.file} was changed by another program${when}.` }),
    element('span', { text: ' The review shows only your own edits; saving would replace that change.' }),
    again, mine);
}

// Where the other program and the author changed the same value: the
// author's was kept; both are shown.
export function showConflicts(conflicts) {
  return choose('Both changed these values',
    conflicts.map((c) => `${c.path}: the file now says “${c.theirs ?? '(absent)'}”, you made it “${c.mine ?? '(absent)'}” (kept)`).join('\n'),
    [{ label: 'OK', value: true, primary: true }], true);
}
