// What the page's fields tell the person using them: the label on screen
// as each field's accessible name, the mark and message of a value that is
// not what the field expects, and labels drawn so that none is cut off.

import { element } from './dialogs.js';

const NAMED_KINDS = new Set(['TextBox', 'ComboBox', 'ListBox', 'Map']);

// "txtOrgName" -> "Org name": the last resort for a field no label names.
export function spokenName(name) {
  const bare = name.replace(/^(txt|cmb|lst|chk|opt|cmd|fra|lbl)(?=[A-Z])/, '');
  const words = bare.replace(/([a-z0-9])([A-Z])/g, '$1 $2').replace(/_/g, ' ').toLowerCase();
  return words.charAt(0).toUpperCase() + words.slice(1);
}

// Gives every field of the drawn page its accessible name: the label's
// element, or the field's name spoken as words when no label is beside it.
// The server tells which label is beside a field, as it does when it names
// the fields in a review.
export function nameFields(view, page) {
  const byName = new Map(page.controls.map((c) => [c.name, c]));
  view.labels = new Map();
  for (const control of page.controls) {
    if (!NAMED_KINDS.has(control.kind)) continue;
    const drawn = view.nodes.get(control.name);
    if (!drawn) continue;
    const target = drawn.node.matches('input, textarea, ul, [role="img"], [role="group"]')
      ? drawn.node : drawn.node.querySelector('input, ul');
    if (!target) continue;
    const label = control.label && byName.get(control.label);
    const text = label ? label.caption.replace(/\s+/g, ' ').replace(/[:\s]+$/, '') : spokenName(control.name);
    view.labels.set(control.name, text);
    const labelNode = label && view.nodes.get(label.name)?.node;
    if (labelNode) {
      labelNode.id = labelNode.id || `label-${label.name}`;
      target.removeAttribute('aria-label');
      target.setAttribute('aria-labelledby', labelNode.id);
    } else {
      target.setAttribute('aria-label', text);
    }
    const button = drawn.node.querySelector('.combo-button');
    if (button) button.setAttribute('aria-label', `Open the list of ${text}`);
  }
}

// "abc" is not a number: ... — the message as a person reads it.
export function problemText(problem) {
  return problem.value !== null && problem.value !== undefined && problem.value !== ''
    ? `“${problem.value}” ${problem.message}` : problem.message.charAt(0).toUpperCase() + problem.message.slice(1);
}

// Marks the fields whose values are wrong, each with its message below it,
// shown while the field has the focus or the pointer, and read out as the
// field's description.
export function markFields(view, problems) {
  const byControl = new Map();
  for (const problem of problems || []) {
    if (!problem.control) continue;
    if (!byControl.has(problem.control)) byControl.set(problem.control, []);
    byControl.get(problem.control).push(problem);
  }
  for (const [name, drawn] of view.nodes) {
    const target = view.inputs.get(name);
    const found = byControl.get(name);
    const bubbleId = `problem-${name}`;
    let bubble = view.root.querySelector(`#${CSS.escape(bubbleId)}`);
    if (!found) {
      if (bubble) bubble.remove();
      drawn.node.classList.remove('invalid');
      if (target) {
        target.removeAttribute('aria-invalid');
        target.removeAttribute('aria-describedby');
      }
      continue;
    }
    if (!bubble) {
      bubble = element('div', { class: 'field-problem', id: bubbleId, role: 'note' });
      view.root.append(bubble);
    }
    bubble.textContent = found.map(problemText).join(' ');
    bubble.style.left = drawn.node.style.left;
    bubble.style.top = `${parseInt(drawn.node.style.top, 10) + parseInt(drawn.node.style.height, 10) + 2}px`;
    bubble.style.maxWidth = `${Math.max(240, parseInt(drawn.node.style.width, 10))}px`;
    drawn.node.classList.add('invalid');
    if (target) {
      target.setAttribute('aria-invalid', 'true');
      target.setAttribute('aria-describedby', bubbleId);
    }
  }
}

// Shows a marked field's message while it has the focus.
export function followFocus(root) {
  const show = (event, on) => {
    const control = event.target.closest?.('.control.invalid');
    if (!control) return;
    const bubble = root.querySelector(`#${CSS.escape(`problem-${control.dataset.control}`)}`);
    if (bubble) bubble.classList.toggle('shown', on);
  };
  root.addEventListener('focusin', (event) => show(event, true));
  root.addEventListener('focusout', (event) => show(event, false));
}

// Labels and captions are drawn in the page's font at the page's positions;
// where the browser's font is wider or taller than the one the page was
// made with, a caption that would be cut off is drawn smaller until it
// fits, and at the smallest size its box grows downward instead.
const SMALLEST_POINTS = 6.5;
export function fitText(root) {
  for (const node of root.querySelectorAll('.kind-Label, .kind-CheckBox, .kind-OptionButton')) {
    const overflows = () => node.scrollHeight > node.clientHeight + 1 || node.scrollWidth > node.clientWidth + 1;
    if (!overflows()) continue;
    let points = parseFloat(node.style.fontSize) || 8;
    while (overflows() && points > SMALLEST_POINTS) {
      points = Math.max(SMALLEST_POINTS, points - 0.5);
      node.style.fontSize = `${points}pt`;
    }
    if (overflows()) {
      node.style.height = `${node.scrollHeight}px`;
      node.style.whiteSpace = 'normal';
    }
  }
}

// Shows the entries of an open list that hold the text typed, all of them
// when none does or nothing is typed.
export function filterList(list, text) {
  const wanted = text.trim().toLowerCase();
  const options = [...list.children];
  const matches = (option) => (option.dataset.item || '').toLowerCase().includes(wanted);
  const any = wanted !== '' && options.some(matches);
  for (const option of options) option.hidden = any && !matches(option);
}

// Type-ahead in a list: the letters typed within a moment find the first
// entry (after `from`) that starts with them.
export function typeAhead(state, key, options, from, textOf = (option) => option.dataset.item ?? option.textContent) {
  const now = Date.now();
  state.text = now - (state.at || 0) < 700 ? (state.text || '') + key.toLowerCase() : key.toLowerCase();
  state.at = now;
  const start = state.text.length === 1 ? from + 1 : from;
  for (let i = 0; i < options.length; i++) {
    const option = options[(Math.max(start, 0) + i) % options.length];
    const text = textOf(option).trim().toLowerCase();
    if (text.startsWith(state.text)) return option;
  }
  return null;
}
