// Draws a page from its controls as the page defines them: positions and
// sizes in twips (15 to a pixel), relative to the control's container; the
// heading band and captions with their own looks; keyboard focus in the
// page's tab order. What the user does comes back as the acts the page
// knows: typing (Change), picking from a list (Click), ticking and choosing,
// selecting an entry of a list box, clicking a button. A map shows boxes of
// the world; drawing one types its edges into the text boxes it links to.

import { element } from './dialogs.js';
import { filterList, fitText, followFocus, markFields, nameFields, typeAhead } from './fields.js';

const TWIPS_PER_PIXEL = 15;
// A box shorter than two lines holds one value: Enter leaves it.
const MULTI_LINE_TWIPS = 630;
const FACE = '#d4d0c8';

const px = (twips) => `${Math.round(twips / TWIPS_PER_PIXEL)}px`;

function family(name) {
  if (/arial/i.test(name)) return 'Arial, "Liberation Sans", "DejaVu Sans", sans-serif';
  return 'Tahoma, Verdana, "DejaVu Sans", sans-serif';
}

function applyLook(node, look, { background = false } = {}) {
  if (!look) return;
  node.style.fontFamily = family(look.font);
  node.style.fontSize = `${look.points}pt`;
  node.style.fontWeight = look.bold ? 'bold' : 'normal';
  node.style.color = look.color;
  if (background && look.background && look.background !== FACE) node.style.backgroundColor = look.background;
}

// Positions relative to the page, adding up the containers' offsets.
function absolutePositions(controls) {
  const byName = new Map(controls.map((c) => [c.name, c]));
  const cache = new Map();
  const position = (control, depth = 0) => {
    if (cache.has(control.name)) return cache.get(control.name);
    let left = control.left;
    let top = control.top;
    const container = control.container && byName.get(control.container);
    if (container && depth < 16) {
      const outer = position(container, depth + 1);
      left += outer.left;
      top += outer.top;
    }
    const result = { left, top };
    cache.set(control.name, result);
    return result;
  };
  return new Map(controls.map((c) => [c.name, position(c)]));
}

function place(node, control, at) {
  node.style.left = px(at.left);
  node.style.top = px(at.top);
  node.style.width = px(control.width);
  node.style.height = px(control.height);
}

const SVG = 'http://www.w3.org/2000/svg';

function svg(name, attributes = {}) {
  const node = document.createElementNS(SVG, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
  return node;
}

// "west east south north" as numbers, or null when it is not a box.
function parseBox(text) {
  const parts = (text || '').trim().split(/\s+/).map(Number);
  if (parts.length !== 4 || parts.some((n) => !Number.isFinite(n))) return null;
  const [west, east, south, north] = parts;
  return { west, east, south, north };
}

const degrees = (n) => String(Math.round(n * 100) / 100);

export class PageView {
  // `acts`: {type(control, text), flush(), pick(control, item), check(control, on, item?),
  //          choose(control), select(control, index), click(control)}
  constructor(root, acts) {
    this.root = root;
    this.acts = acts;
    this.inputs = new Map();  // control name -> element holding its value
    this.nodes = new Map();  // control name -> {node, at, control} as drawn
    this.openList = null;
    this.labels = new Map();  // control name -> its label as a person reads it
    followFocus(root);
  }

  clear() {
    this.closeList();
    this.root.replaceChildren();
    this.inputs.clear();
    this.nodes.clear();
    this.uniqueName = null;
  }

  show(page) {
    this.clear();
    if (!page) return;
    this.uniqueName = page.uniqueName;
    const at = absolutePositions(page.controls);
    let width = 0;
    let height = 0;
    for (const c of page.controls) {
      const p = at.get(c.name);
      width = Math.max(width, p.left + c.width);
      height = Math.max(height, p.top + c.height);
    }
    this.at = at;
    this.root.style.width = px(width);
    this.root.style.height = px(height + 240);
    this.root.dataset.page = page.uniqueName;
    this.root.setAttribute('aria-label', page.title || page.shortTitle || page.uniqueName);

    // Background first (bands, frames, captions), then what takes focus, in
    // the page's tab order: the order of the document is the order of Tab.
    const passive = page.controls.filter((c) => c.tabIndex === undefined && !this.focusable(c));
    const active = page.controls
      .filter((c) => !passive.includes(c))
      .map((c, i) => ({ c, i }))
      .sort((a, b) => (a.c.tabIndex ?? 1e9) - (b.c.tabIndex ?? 1e9) || a.i - b.i)
      .map(({ c }) => c);
    for (const control of passive) this.root.append(this.draw(control, at.get(control.name), page));
    for (const control of active) this.root.append(this.draw(control, at.get(control.name), page));
    nameFields(this, page);
    fitText(this.root);
    markFields(this, page.problems);
  }

  focusable(control) {
    return ['TextBox', 'ComboBox', 'CheckBox', 'OptionButton', 'ListBox', 'CommandButton'].includes(control.kind);
  }

  draw(control, at, page) {
    const make = {
      Shape: () => this.shape(control),
      Frame: () => this.frame(control),
      Label: () => this.label(control),
      TextBox: () => this.textBox(control),
      ComboBox: () => this.comboBox(control),
      CheckBox: () => this.checkBox(control),
      OptionButton: () => this.optionButton(control, page),
      ListBox: () => this.listBox(control),
      CommandButton: () => this.commandButton(control),
      Map: () => this.map(control, page),
    }[control.kind];
    const node = make ? make() : element('div');
    node.classList.add('control', `kind-${control.kind}`);
    node.dataset.control = control.name;
    place(node, control, at);
    if (control.enabled === false) node.classList.add('disabled');
    this.nodes.set(control.name, { node, at, control });
    return node;
  }

  // The entries of a list: selecting one is a Click; with check marks, each
  // entry is ticked on its own.
  listBox(control) {
    const items = control.items || [];
    if (control.checked) {
      const group = element('div', { role: 'group', class: 'check-list' });
      items.forEach((item, i) => {
        const label = element('label', { class: 'check' });
        const input = element('input', { type: 'checkbox' });
        input.checked = !!control.checked[i];
        input.disabled = control.enabled === false;
        input.dataset.item = item;
        input.addEventListener('change', () => this.acts.check(control.name, input.checked, item));
        label.append(input, element('span', { text: item }));
        group.append(label);
      });
      return group;
    }
    const list = element('ul', { role: 'listbox', tabindex: control.enabled === false ? '-1' : '0' });
    items.forEach((item, i) => {
      const option = element('li', { role: 'option', id: `lst-${control.name}-${i}`, text: item === '' ? '\u00a0' : item });
      option.dataset.index = String(i);
      option.setAttribute('aria-selected', i === control.value ? 'true' : 'false');
      option.addEventListener('click', () => {
        if (control.enabled !== false && i !== control.value) this.acts.select(control.name, i);
      });
      list.append(option);
    });
    if (control.value >= 0) list.setAttribute('aria-activedescendant', `lst-${control.name}-${control.value}`);
    list.addEventListener('keydown', (event) => {
      if (control.enabled === false || !items.length) return;
      const moves = { ArrowDown: 1, ArrowUp: -1, Home: -Infinity, End: Infinity };
      if (!(event.key in moves)) return;
      event.preventDefault();
      const next = Math.max(0, Math.min(items.length - 1, (control.value < 0 ? -1 : control.value) + moves[event.key]));
      if (next !== control.value) this.acts.select(control.name, next);
    });
    this.inputs.set(control.name, list);
    return list;
  }

  commandButton(control) {
    const button = element('button', { type: 'button', text: control.caption });
    button.disabled = control.enabled === false;
    applyLook(button, control.look);
    button.addEventListener('click', () => this.acts.click(control.name));
    this.inputs.set(control.name, button);
    return button;
  }

  // The boxes on a map of the world (west, east, south, north in degrees).
  // Dragging draws the selected box anew: its edges are typed into the
  // linked text boxes, as a person would type them.
  map(control, page) {
    const frame = element('div', { role: 'img', 'aria-label': `Map of the boxes: ${(control.items || []).join('; ') || 'none'}` });
    const drawing = svg('svg', { viewBox: '-180 -90 360 180', preserveAspectRatio: 'none', class: 'map' });
    drawing.append(svg('image', { href: '/world.svg', x: '-180', y: '-90', width: '360', height: '180', preserveAspectRatio: 'none' }));
    (control.items || []).forEach((text, i) => {
      const box = parseBox(text);
      if (!box) return;
      const parts = box.west <= box.east
        ? [[box.west, box.east]]
        : [[box.west, 180], [-180, box.east]];  // across the antimeridian
      for (const [west, east] of parts) {
        const rect = svg('rect', {
          x: west, y: -box.north, width: Math.max(east - west, 0.5), height: Math.max(box.north - box.south, 0.5),
          class: i === control.value ? 'box selected' : 'box',
        });
        drawing.append(rect);
      }
    });
    const links = control.links || [];
    const enabled = control.enabled !== false && links.length === 4 &&
      links.every((name) => page.controls.some((c) => c.name === name && c.enabled !== false));
    if (enabled) {
      const point = (event) => {
        const r = drawing.getBoundingClientRect();
        return {
          lon: Math.max(-180, Math.min(180, ((event.clientX - r.left) / r.width) * 360 - 180)),
          lat: Math.max(-90, Math.min(90, 90 - ((event.clientY - r.top) / r.height) * 180)),
        };
      };
      let start = null;
      let sketch = null;
      drawing.addEventListener('pointerdown', (event) => {
        start = point(event);
        sketch = svg('rect', { class: 'box sketch', x: start.lon, y: -start.lat, width: 0, height: 0 });
        drawing.append(sketch);
        drawing.setPointerCapture(event.pointerId);
      });
      drawing.addEventListener('pointermove', (event) => {
        if (!start) return;
        const p = point(event);
        sketch.setAttribute('x', Math.min(start.lon, p.lon));
        sketch.setAttribute('y', -Math.max(start.lat, p.lat));
        sketch.setAttribute('width', Math.abs(p.lon - start.lon));
        sketch.setAttribute('height', Math.abs(p.lat - start.lat));
      });
      drawing.addEventListener('pointerup', (event) => {
        if (!start) return;
        const p = point(event);
        const edges = [Math.min(start.lon, p.lon), Math.max(start.lon, p.lon), Math.min(start.lat, p.lat), Math.max(start.lat, p.lat)];
        start = null;
        if (edges[1] - edges[0] < 0.1 || edges[3] - edges[2] < 0.1) {
          sketch.remove();
          return;
        }
        links.forEach((name, i) => {
          const input = this.inputs.get(name);
          if (input) input.value = degrees(edges[i]);
          this.acts.type(name, degrees(edges[i]));
          this.acts.flush();
        });
      });
    }
    frame.append(drawing);
    return frame;
  }

  shape(control) {
    const node = element('div', { 'aria-hidden': 'true' });
    if (control.look) node.style.backgroundColor = control.look.background;
    return node;
  }

  frame(control) {
    const node = element('div', { role: 'group', 'aria-label': control.caption });
    const caption = element('span', { class: 'frame-caption', text: control.caption });
    applyLook(caption, control.look);
    node.append(caption);
    return node;
  }

  label(control) {
    const node = element('div', { text: control.caption });
    applyLook(node, control.look, { background: true });
    if (control.name === 'lblHeading') {
      node.setAttribute('role', 'heading');
      node.setAttribute('aria-level', '2');
    }
    return node;
  }

  // Text typed is sent as one Change per pause; leaving the box sends what
  // is left at once.
  textBox(control) {
    const multiLine = control.height >= MULTI_LINE_TWIPS;
    const input = multiLine ? element('textarea') : element('input', { type: 'text' });
    input.value = control.text ?? '';
    input.disabled = control.enabled === false;
    input.setAttribute('spellcheck', 'false');
    applyLook(input, control.look);
    input.addEventListener('input', () => this.acts.type(control.name, input.value));
    if (!multiLine) {
      // One value: Enter stores it, as leaving the box does; it is not a
      // line break.
      input.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' && !event.isComposing) {
          event.preventDefault();
          this.acts.flush();
        }
      });
    }
    input.addEventListener('blur', () => this.acts.flush());
    this.inputs.set(control.name, input);
    return input;
  }

  comboBox(control) {
    const box = element('div', { class: 'combo' });
    const input = element('input', {
      type: 'text',
      role: 'combobox',
      'aria-expanded': 'false',
      'aria-autocomplete': 'list',
      'aria-controls': `list-${control.name}`,
      spellcheck: 'false',
    });
    input.value = control.text ?? '';
    applyLook(input, control.look);
    const button = element('button', { type: 'button', class: 'combo-button', tabindex: '-1', 'aria-label': 'Open the list', text: '▾' });
    input.addEventListener('input', () => {
      this.acts.type(control.name, input.value);
      // Typing narrows an open list to the entries that match.
      if (this.openList && this.openList.name === control.name) filterList(this.openList.list, input.value);
    });
    input.addEventListener('blur', () => this.acts.flush());
    input.addEventListener('keydown', (event) => {
      if ((event.altKey && event.key === 'ArrowDown') || event.key === 'F4') {
        event.preventDefault();
        this.showList(control, box, input, true);
      } else if (event.key === 'ArrowDown' && this.openList && this.openList.name === control.name) {
        event.preventDefault();
        this.openList.list.querySelector('li:not([hidden])')?.focus();
      } else if (event.key === 'Escape' && this.openList) {
        event.preventDefault();
        this.closeList();
      }
    });
    button.addEventListener('mousedown', (event) => event.preventDefault());
    button.addEventListener('click', () => {
      if (this.openList && this.openList.name === control.name) this.closeList();
      else this.showList(control, box, input, false);
    });
    box.append(input, button);
    this.inputs.set(control.name, input);
    return box;
  }

  // The list of a combo box: picking an item is a Click, not typing.
  showList(control, box, input, byKeyboard) {
    this.closeList();
    this.acts.flush();
    const list = element('ul', { class: 'combo-list', role: 'listbox', id: `list-${control.name}`, 'aria-label': this.labels.get(control.name) || control.name, tabindex: '-1' });
    const items = control.items || [];
    items.forEach((item, i) => {
      const option = element('li', { role: 'option', id: `opt-${control.name}-${i}`, tabindex: '-1', text: item === '' ? '\u00a0' : item });
      option.dataset.item = item;
      if (item === input.value) option.setAttribute('aria-selected', 'true');
      option.addEventListener('mousedown', (event) => event.preventDefault());
      option.addEventListener('click', () => {
        this.closeList();
        input.value = item;
        input.focus();
        this.acts.pick(control.name, item);
      });
      list.append(option);
    });
    const seek = {};
    list.addEventListener('keydown', (event) => {
      const options = [...list.children].filter((option) => !option.hidden);
      const current = options.indexOf(document.activeElement);
      if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
        event.preventDefault();
        const next = Math.max(0, Math.min(options.length - 1, current + (event.key === 'ArrowDown' ? 1 : -1)));
        options[next]?.focus();
      } else if (event.key === 'Enter' || event.key === ' ') {
        event.preventDefault();
        document.activeElement?.click();
      } else if (event.key === 'Escape' || event.key === 'Tab') {
        event.preventDefault();
        this.closeList();
        input.focus();
      } else if (event.key.length === 1 && !event.ctrlKey && !event.altKey && !event.metaKey) {
        const found = typeAhead(seek, event.key, options, current);
        if (found) {
          event.preventDefault();
          found.focus();
        }
      }
    });
    list.style.left = box.style.left;
    list.style.top = `${parseInt(box.style.top, 10) + parseInt(box.style.height, 10)}px`;
    list.style.minWidth = box.style.width;
    this.root.append(list);
    input.setAttribute('aria-expanded', 'true');
    this.openList = { name: control.name, list, input };
    const selected = list.querySelector('[aria-selected="true"]') || list.firstElementChild;
    if (byKeyboard && selected) selected.focus();
    else selected?.scrollIntoView({ block: 'nearest' });
    this.outside = (event) => {
      if (!box.contains(event.target) && !list.contains(event.target)) this.closeList();
    };
    document.addEventListener('mousedown', this.outside, true);
  }

  closeList() {
    if (!this.openList) return;
    this.openList.list.remove();
    this.openList.input.setAttribute('aria-expanded', 'false');
    this.openList = null;
    document.removeEventListener('mousedown', this.outside, true);
  }

  checkBox(control) {
    const label = element('label', { class: 'check' });
    const input = element('input', { type: 'checkbox' });
    input.checked = control.value === 1;
    input.indeterminate = control.value === 2;
    input.dataset.name = control.name;
    const caption = element('span', { text: control.caption });
    applyLook(label, control.look);
    input.addEventListener('change', () => this.acts.check(control.name, input.checked));
    label.append(input, caption);
    this.inputs.set(control.name, input);
    return label;
  }

  optionButton(control, page) {
    const label = element('label', { class: 'option' });
    const input = element('input', { type: 'radio', name: `group-${page.uniqueName}-${control.container || 'page'}` });
    input.checked = control.value === true;
    input.dataset.name = control.name;
    const caption = element('span', { text: control.caption });
    applyLook(label, control.look);
    input.addEventListener('change', () => {
      if (input.checked) this.acts.choose(control.name);
    });
    label.append(input, caption);
    this.inputs.set(control.name, input);
    return label;
  }

  // Shows what the page now holds without drawing it again; the box being
  // typed in keeps what the user sees.
  update(page, { keepFocused = true } = {}) {
    if (!page || page.uniqueName !== this.uniqueName) {
      this.show(page);
      return;
    }
    for (const control of page.controls) {
      // Lists, buttons and maps are drawn again when what they show changed.
      if (['ListBox', 'CommandButton', 'Map'].includes(control.kind)) {
        const drawn = this.nodes.get(control.name);
        if (drawn && JSON.stringify(drawn.control) !== JSON.stringify(control)) {
          const hadFocus = drawn.node.contains(document.activeElement);
          const node = this.draw(control, drawn.at, page);
          drawn.node.replaceWith(node);
          if (hadFocus) (node.matches('ul,button') ? node : node.querySelector('input'))?.focus();
        }
        continue;
      }
      const input = this.inputs.get(control.name);
      if (!input) continue;
      if ('disabled' in input) input.disabled = control.enabled === false;
      if (keepFocused && input === document.activeElement && (control.kind === 'TextBox' || control.kind === 'ComboBox')) continue;
      if (control.kind === 'CheckBox') {
        input.checked = control.value === 1;
        input.indeterminate = control.value === 2;
      } else if (control.kind === 'OptionButton') {
        input.checked = control.value === true;
      } else if ('text' in control && input.value !== control.text) {
        input.value = control.text;
      }
    }
    const heading = this.root.querySelector('[data-control="lblHeading"]');
    const caption = page.controls.find((c) => c.name === 'lblHeading');
    if (heading && caption) heading.textContent = caption.caption;
    nameFields(this, page);
    markFields(this, page.problems);
  }
}
