// Quorel — SPDX-License-Identifier: MIT
// The page: it gathers the choices, sends them to the core's worker (the
// protocol is written at the top of worker.js) and shows what comes back.
// Every rule — scaling, clean-up, the snippet's bytes, the readout — is the
// core's; this file only presents.
import { kTexts } from './texts.js';

// The window's preview sizes in pixels; the readout's percentage depends on them.
const kPreviewSizes = { signature: [276, 122], seal: [112, 122] };
const kStored = 'quorel.settings';  // localStorage: choices only, never pictures
const kDefaults = {
  signature: { on: true, colour: '000000', mode: 'none', amount: 48, cleanup: 'none' },
  seal: { on: true, colour: 'ff0000', mode: 'none', amount: 48, cleanup: 'none' },
  align: 'right', format: 'gif', density: 1,
};

const $ = (selector, root = document) => root.querySelector(selector);
const settings = loadSettings();
const pictures = { signature: undefined, seal: undefined };  // bytes not yet sent to the worker
const panels = {};
let snippet = '';
let sent = [];  // the panels whose new picture the request in flight carries

function loadSettings() {
  try {
    const stored = JSON.parse(localStorage.getItem(kStored) ?? '{}');
    return { ...kDefaults, ...stored, signature: { ...kDefaults.signature, ...stored.signature },
             seal: { ...kDefaults.seal, ...stored.seal } };
  } catch {
    return structuredClone(kDefaults);
  }
}

function applyTexts(root) {
  for (const element of root.querySelectorAll('[data-text]')) element.textContent = kTexts[element.dataset.text];
}

function label(element, key) {
  element.setAttribute('aria-label', kTexts[key].split('\n')[0]);
  element.title = kTexts[key];
}

// ---- the worker: one request in flight, the latest choices sent after it ----
const worker = new Worker('worker.js', { type: 'module' });
let busy = true;  // until the worker says it is ready
let pending = false;
let nextId = 1;

function request() {
  if (busy) {
    pending = true;
    return;
  }
  busy = true;
  pending = false;
  const panel = (name) => {
    const s = settings[name];
    return { picture: pictures[name], on: s.on, colour: s.colour, cleanup: s.cleanup,
             scale: s.mode === 'none' ? 'none' : `${s.mode}:${s.amount}`, preview: kPreviewSizes[name] };
  };
  const message = { id: nextId++, signature: panel('signature'), seal: panel('seal'), align: settings.align,
                    format: settings.format, density: Number(settings.density) };
  sent = ['signature', 'seal'].filter((name) => pictures[name] !== undefined);
  pictures.signature = pictures.seal = undefined;
  $('#status').textContent = kTexts.working;
  worker.postMessage(message);
}

// An output of the mark shown (see worker.js), answered after the request in flight.
const outputs = new Map();
function askOutput(output, base = '') {
  const id = nextId++;
  worker.postMessage({ id, output, base });
  return new Promise((answered) => outputs.set(id, answered));
}

worker.onmessage = ({ data }) => {
  if (outputs.has(data.id)) {
    outputs.get(data.id)(data);
    outputs.delete(data.id);
    return;
  }
  busy = false;
  if (!data.ready) show(data, !pending);
  if (pending || data.ready) request();
};

// `settled`: no newer choice is waiting to be sent.
function show(reply, settled) {
  snippet = reply.snippet;
  panels.signature.readout.value = reply.readout[0];
  panels.seal.readout.value = reply.readout[1];
  // A refused picture leaves the panel as it was, as in the window.
  for (const [index, name] of ['signature', 'seal'].entries()) {
    if (!sent.includes(name)) continue;
    const view = panels[name];
    const keep = reply.refused[index] ? view.shown : view.image.src;
    if (view.shown && view.shown !== keep) URL.revokeObjectURL(view.shown);
    view.shown = keep;
    if (keep) view.image.src = keep; else view.image.removeAttribute('src');
  }
  sent = [];
  // Before any picture there is nothing to complain about.
  const empty = !reply.readout[0] && !reply.readout[1];
  const refused = reply.refused.filter(Boolean).join('\n');
  $('#status').textContent = refused || (reply.ok || empty ? '' : reply.status);
  for (const button of document.querySelectorAll('.result button')) button.disabled = !reply.ok;
  const size = $('#size');
  size.value = reply.ok ? `${reply.size.characters.toLocaleString('en')}${kTexts.characters}` +
                          (reply.size.budget > 0 ? ' ⚠' : '') : '';
  size.classList.toggle('over', reply.size.budget > 0);
  size.title = reply.size.budget > 0 ? kTexts.tooLarge.replace('%1', reply.size.budget) : '';
  for (const preview of document.querySelectorAll('.preview')) preview.replaceChildren(...snippetNodes(snippet));
  // For whoever drives the page (the browser test): the reply as shown.
  document.dispatchEvent(new CustomEvent('quorel:shown', { detail: { ...reply, settled } }));
}

// The snippet as elements. The page's Content-Security-Policy refuses inline
// styles, even while parsing; the CSSOM is allowed, so the snippet's style
// attributes are parsed under another name and applied through it.
function snippetNodes(html) {
  const parsed = document.createElement('template');
  parsed.innerHTML = html.replaceAll(' style="', ' data-style="');
  for (const element of parsed.content.querySelectorAll('[data-style]')) {
    element.style.cssText = element.dataset.style;
    element.removeAttribute('data-style');
  }
  return [...parsed.content.childNodes];
}

function changed() {
  localStorage.setItem(kStored, JSON.stringify(settings));
  request();
}

// ---- the two panels ----
function takePicture(name, file) {
  if (!file) return;
  const view = panels[name];
  if (view.image.src !== view.shown) URL.revokeObjectURL(view.image.src);
  view.image.src = URL.createObjectURL(file);
  // A file the browser cannot read arrives empty: the core refuses it as it refuses a damaged one.
  file.arrayBuffer().catch(() => new ArrayBuffer(0)).then((buffer) => {
    // A pasted picture has no name of its own: its type gives the extension.
    pictures[name] = { bytes: new Uint8Array(buffer), name: file.name || `pasted.${file.type.split('/')[1]}`,
                       type: file.type };
    settings[name].mode = 'none';  // a new picture resets the scale, as in the window
    view.mode.value = 'none';
    showScale(name);
    changed();
  });
}

function showScale(name) {
  const view = panels[name];
  const s = settings[name];
  view.amount.hidden = view.unit.hidden = s.mode === 'none';
  const ratio = s.mode === 'ratio';
  view.amount.min = ratio ? 10 : 16;
  view.amount.max = ratio ? 300 : 640;
  view.unit.textContent = ratio ? '%' : kTexts.pixels;
}

function buildPanel(name) {
  const section = $('#panel').content.firstElementChild.cloneNode(true);
  applyTexts(section);
  const s = settings[name];
  const view = {
    section, image: $('img', section), readout: $('.readout', section), on: $('.on', section),
    colour: $('.colour', section), hex: $('.hex', section), mode: $('.mode', section),
    amount: $('.amount', section), unit: $('.unit', section), cleanup: $('.cleanup', section),
  };
  panels[name] = view;
  $('.name', section).textContent = kTexts[name];
  label($('.file', section), `${name}Open`);
  label($('.picture', section), `${name}Picture`);
  label($('.shot', section), 'camera');
  label(view.readout, `${name}Readout`);
  label(view.colour, `${name}Colour`);
  label(view.hex, `${name}Colour`);
  label(view.on, `${name}Enabled`);
  label(view.mode, `${name}Scale`);
  label(view.amount, `${name}Scale`);
  view.on.checked = s.on;
  view.colour.value = view.hex.value = `#${s.colour}`;
  view.mode.value = s.mode;
  view.amount.value = s.amount;
  view.cleanup.value = s.cleanup;
  showScale(name);

  view.on.onchange = () => { s.on = view.on.checked; changed(); };
  view.colour.oninput = () => { s.colour = view.colour.value.slice(1); view.hex.value = view.colour.value; changed(); };
  view.hex.onchange = () => {
    const hex = /^#?([0-9a-fA-F]{6})$/.exec(view.hex.value.trim());
    if (!hex) {
      view.hex.value = `#${s.colour}`;
      return;
    }
    s.colour = hex[1].toLowerCase();
    view.colour.value = view.hex.value = `#${s.colour}`;
    changed();
  };
  view.mode.onchange = () => { s.mode = view.mode.value; showScale(name); changed(); };
  view.amount.onchange = () => {
    // The tool limits the value to the dialog's range; the box shows what applies.
    const value = Math.round(Number(view.amount.value));
    if (!Number.isFinite(value)) return;
    s.amount = Math.min(Number(view.amount.max), Math.max(Number(view.amount.min), value));
    view.amount.value = s.amount;
    changed();
  };
  view.cleanup.onchange = () => { s.cleanup = view.cleanup.value; changed(); };
  for (const input of section.querySelectorAll('input[type=file]')) {
    input.onchange = () => takePicture(name, input.files[0]);
  }
  const drop = $('.drop', section);
  drop.ondragover = (event) => { event.preventDefault(); drop.classList.add('over'); };
  drop.ondragleave = () => drop.classList.remove('over');
  drop.ondrop = (event) => {
    event.preventDefault();
    drop.classList.remove('over');
    takePicture(name, [...event.dataTransfer.files].find((f) => f.type.startsWith('image/')) ??
                      event.dataTransfer.files[0]);
  };
  section.addEventListener('focusin', () => { activePanel = name; });
  section.addEventListener('pointerenter', () => { activePanel = name; });
  return section;
}

// A pasted picture goes to the panel last focused or pointed at.
let activePanel = 'signature';
document.addEventListener('paste', (event) => {
  const file = [...(event.clipboardData?.files ?? [])].find((f) => f.type.startsWith('image/'));
  if (!file) return;
  event.preventDefault();
  takePicture(activePanel, file);
});

// ---- output style and outputs ----
function buildOutputs() {
  for (const radio of document.querySelectorAll('input[name=align]')) {
    radio.checked = radio.value === settings.align;
    radio.onchange = () => { settings.align = radio.value; changed(); };
  }
  for (const key of ['format', 'density']) {
    const select = $(`#${key}`);
    select.value = String(settings[key]);
    select.onchange = () => { settings[key] = select.value; changed(); };
  }
  label($('#copy'), 'copy');
  label($('#save'), 'save');
  $('#copy').onclick = () => {
    navigator.clipboard.writeText(snippet).catch(() => { $('#status').textContent = kTexts.clipboardBusy; });
  };
  $('#save').onclick = () => download(new Blob([snippet], { type: 'text/plain' }), 'quorel.txt');
  buildEverywhere();
}

function download(blob, name) {
  document.dispatchEvent(new CustomEvent('quorel:download', { detail: { blob, name } }));  // for the browser test
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 0);
}

// ---- the outputs for elsewhere: pictures, snippet.html, a message, the composed picture ----
function buildEverywhere() {
  const extension = () => settings.format;
  const base = $('#base');
  base.value = settings.base ?? '';
  label(base, 'baseUrl');
  base.onchange = () => { settings.base = base.value.trim(); localStorage.setItem(kStored, JSON.stringify(settings)); };
  const fetchOutput = async (output, type, name) => {
    const reply = await askOutput(output, base.value.trim());
    if (!reply.ok) {
      $('#status').textContent = output === 'hosted' ? kTexts.badBaseUrl : kTexts.outputFailed;
      return null;
    }
    $('#status').textContent = '';
    return new Blob([reply.bytes], { type });
  };
  const buttons = [
    ['#save-signature', 'signature', () => `image/${extension()}`, () => `signature.${extension()}`],
    ['#save-seal', 'seal', () => `image/${extension()}`, () => `seal.${extension()}`],
    ['#save-hosted', 'hosted', () => 'text/html', () => 'snippet.html'],
    ['#save-message', 'message', () => 'message/rfc822', () => 'quorel.eml'],
    ['#save-picture', 'picture', () => 'image/png', () => 'quorel.png'],
  ];
  for (const [selector, output, type, name] of buttons) {
    label($(selector), `${output}Output`);
    $(selector).onclick = async () => {
      const blob = await fetchOutput(output, type(), name());
      if (blob) download(blob, name());
    };
  }
  label($('#copy-picture'), 'copyPicture');
  // The clipboard takes a promise of the picture, so that the browser still
  // counts the click as the user's when the worker answers.
  $('#copy-picture').onclick = () => {
    const blob = fetchOutput('picture', 'image/png').then((made) => made ?? Promise.reject(new Error('no picture')));
    const item = typeof ClipboardItem === 'function' ? new ClipboardItem({ 'image/png': blob }) : null;
    (item ? navigator.clipboard.write([item]) : Promise.reject(new Error('no ClipboardItem')))
      .catch(() => { $('#status').textContent ||= kTexts.clipboardPicture; });
  };
}

applyTexts(document);
$('.panels').append(buildPanel('signature'), buildPanel('seal'));
buildOutputs();
if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
