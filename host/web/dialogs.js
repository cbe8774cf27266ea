// Modal dialogs: the components' message boxes, choices the editor asks the
// user to make, and the review of changes.

function element(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (name === 'class') node.className = value;
    else if (name === 'text') node.textContent = value;
    else node.setAttribute(name, value);
  }
  for (const child of children) if (child) node.append(child);
  return node;
}
export { element };

let dialogs = 0;

// Shows a modal dialog; `build` fills it and gets `close(value)`. Resolves
// with the value it was closed with (Escape gives `cancelValue`).
// The dialog is modal (the rest of the page is inert, so Tab stays in it);
// closed, it gives the focus back to where it was.
export function modal(className, build, cancelValue) {
  return new Promise((resolve) => {
    const dialog = element('dialog', { class: `dialog ${className}` });
    const returnTo = document.activeElement;
    let done = false;
    const close = (value) => {
      if (done) return;
      done = true;
      dialog.close();
      dialog.remove();
      if (returnTo && returnTo.isConnected && typeof returnTo.focus === 'function') returnTo.focus();
      resolve(value);
    };
    dialog.addEventListener('cancel', (event) => {
      event.preventDefault();
      if (cancelValue !== undefined) close(cancelValue);
    });
    build(dialog, close);
    const heading = dialog.querySelector('h2');
    if (heading && !dialog.hasAttribute('aria-label')) {
      heading.id = heading.id || `dialog-heading-${++dialogs}`;
      dialog.setAttribute('aria-labelledby', heading.id);
    }
    document.body.append(dialog);
    dialog.showModal();
    const focus = dialog.querySelector('[data-default]') || dialog.querySelector('button, input');
    if (focus) focus.focus();
  });
}

// A component's message box: its prompt, title and buttons. Resolves with
// the answer of the button chosen. The editor answers with the default
// button when the time runs out; the countdown says so.
export function messageBox(box) {
  return modal('message-box', (dialog, close) => {
    const title = box.title || 'Tidewise';
    const deadline = Date.now() + box.timeoutSeconds * 1000;
    const defaultLabel = (box.buttons.find((b) => b.answer === box.defaultAnswer) || box.buttons[0]).label;
    const countdown = element('p', { class: 'countdown' });
    const tick = () => {
      const left = Math.max(0, Math.round((deadline - Date.now()) / 1000));
      countdown.textContent = `Unanswered, this box is answered “${defaultLabel}” in ${left} s.`;
      if (left === 0) close(box.defaultAnswer);
    };
    tick();
    const timer = setInterval(tick, 1000);
    const buttons = element('div', { class: 'buttons' });
    for (const button of box.buttons) {
      const attributes = { type: 'button', text: button.label };
      if (button.answer === box.defaultAnswer) attributes['data-default'] = '';
      const node = element('button', attributes);
      node.addEventListener('click', () => {
        clearInterval(timer);
        close(button.answer);
      });
      buttons.append(node);
    }
    dialog.setAttribute('aria-label', title);
    dialog.append(
      element('h2', { text: title }),
      element('p', { class: 'prompt', text: box.prompt }),
      countdown,
      buttons,
    );
  });
}

// A question with buttons [{label, value, primary?}]; Escape gives `cancel`.
export function choose(title, text, choices, cancel) {
  return modal('choice', (dialog, close) => {
    const buttons = element('div', { class: 'buttons' });
    for (const choice of choices) {
      const attributes = { type: 'button', text: choice.label };
      if (choice.primary) {
        attributes.class = 'primary';
        attributes['data-default'] = '';
      }
      const node = element('button', attributes);
      node.addEventListener('click', () => close(choice.value));
      buttons.append(node);
    }
    dialog.append(element('h2', { text: title }), element('p', { text }), buttons);
  }, cancel);
}

// Asks for a line of text; resolves with it, or null.
export function askText(title, label, initial = '') {
  return modal('ask-text', (dialog, close) => {
    const input = element('input', { type: 'text', 'data-default': '' });
    input.value = initial;
    const form = element('form', { method: 'dialog' });
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      close(input.value.trim() || null);
    });
    const cancel = element('button', { type: 'button', text: 'Cancel' });
    cancel.addEventListener('click', () => close(null));
    form.append(
      element('label', {}, element('span', { text: label }), input),
      element('div', { class: 'buttons' }, element('button', { type: 'submit', class: 'primary', text: 'OK' }), cancel),
    );
    dialog.append(element('h2', { text: title }), form);
  }, null);
}

function shown(value) {
  if (value === null || value === undefined) return element('span', { class: 'absent', text: '(absent)' });
  if (value === '') return element('span', { class: 'absent', text: '(empty)' });
  return element('span', { class: 'value', text: value });
}

// Every element and attribute whose value differs from the saved file, old
// and new side by side. With `canSave`, resolves true when the user saves.
// `labels` may name the dialog ({title}) and its buttons ({confirm, cancel}).
export function reviewChanges(review, canSave, labels = {}) {
  return modal('review', (dialog, close) => {
    const changes = review.changes;
    // A review lists a bounded number of changes and counts the rest.
    const more = review.more || 0;
    const total = changes.length + more;
    const heading = element('h2', {
      text: labels.title || (total === 0 ? 'No changes' : `${total} change${total === 1 ? '' : 's'} to save`),
    });
    dialog.append(heading);
    if (changes.length === 0) {
      dialog.append(element('p', { text: 'The item is the same as its saved file.' }));
    } else {
      // Grouped by the page that wrote them, in the order first met.
      const groups = new Map();
      for (const change of changes) {
        const page = change.page || 'Other changes';
        if (!groups.has(page)) groups.set(page, []);
        groups.get(page).push(change);
      }
      const origins = { page: 'written by the page, not typed', import: 'from the imported record' };
      const bodies = [];
      for (const [page, list] of groups) {
        const body = element('tbody', { 'data-page': page },
          element('tr', { class: 'group' }, element('th', { colspan: '4', scope: 'rowgroup', text: `${page} (${list.length})` })));
        for (const change of list) {
          const kind = element('td', { class: 'kind', text: change.change });
          if (origins[change.origin]) kind.append(element('span', { class: 'origin', text: origins[change.origin] }));
          // A change is named by the field that shows it, its path below for
          // whoever reads the file; one no page shows keeps its path alone.
          const what = change.field
            ? element('td', { class: 'field' }, element('span', { class: 'label', text: change.field }),
              element('span', { class: 'path', text: change.path }))
            : element('td', { class: 'path', text: change.path });
          body.append(element('tr', { class: change.change }, what,
            kind,
            element('td', {}, shown(change.before)),
            element('td', {}, shown(change.after))));
        }
        bodies.push(body);
      }
      // The list scrolls on its own: it takes the focus so that the keyboard scrolls it too.
      dialog.append(element('div', { class: 'table-scroll', tabindex: '0', role: 'region', 'aria-label': 'Changes' }, element('table', { class: 'changes' },
        element('thead', {}, element('tr', {},
          element('th', { scope: 'col', text: 'Field' }),
          element('th', { scope: 'col', text: 'Change' }),
          element('th', { scope: 'col', text: 'Saved file' }),
          element('th', { scope: 'col', text: 'Now' }))),
        ...bodies)));
      if (more > 0) {
        dialog.append(element('p', { class: 'more', text: `${more} more change${more === 1 ? ' is' : 's are'} not listed.` }));
      }
    }
    const buttons = element('div', { class: 'buttons' });
    // Nothing to save is not offered as a save.
    if (canSave && (total > 0 || labels.confirm)) {
      const save = element('button', { type: 'button', class: 'primary', id: 'confirm-save', text: labels.confirm || 'Save these changes', 'data-default': '' });
      save.addEventListener('click', () => close(true));
      buttons.append(save);
    }
    const cancel = element('button', { type: 'button', text: labels.cancel || (canSave && total > 0 ? 'Cancel' : 'Close') });
    cancel.addEventListener('click', () => close(false));
    buttons.append(cancel);
    dialog.append(buttons);
  }, false);
}
