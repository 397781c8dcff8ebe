// Quorel — SPDX-License-Identifier: MIT
// The core, compiled to WebAssembly, in a worker of its own so that the page
// stays responsive while a picture is decoded.
//
// The protocol: one request in, one reply out, matched by `id`; requests are
// answered in the order they come.
//   page → worker  { id, signature: Panel, seal: Panel, align: 'left'|'center'|'right',
//                    format: 'gif'|'png', density: 1|2 }
//     Panel        { picture: { bytes: Uint8Array, name: 'photo.JPG', type: 'image/jpeg' } | null
//                      | undefined  (undefined: the one taken before; the name's extension
//                      says the format, as a file's does in the window; a format only the
//                      browser decodes (WebP, AVIF) is taken as the browser decodes it),
//                    on: boolean, colour: 'rrggbb', alt: '…',
//                    scale: 'none' | 'height:N' | 'width:N' | 'ratio:N',
//                    cleanup: 'none' | 'trim' | 'photo', preview: [width, height] }
//   worker → page  { id, ok, snippet, readout: [signature, seal], status, size, refused, notes }
//     snippet      the HTML, byte for byte the command-line tool's ('' when !ok)
//     size         { characters, budget }: budget is the core's limit when the
//                  snippet is over it (some editors refuse it), else 0
//     readout      each panel's size readout ('' without a usable picture)
//     status       the core's message when !ok (the window's Japanese text)
//     refused      each panel's message for a picture sent now and refused ('' if none);
//                  the panel keeps the picture it had, as in the window
//     notes        each panel's { cut, noInk }: its file was cut short, a clean-up found no ink
//   page → worker  { id, output: 'hosted'|'signature'|'seal'|'message'|'picture', base: 'https://…' }
//   worker → page  { id, ok, bytes: Uint8Array, status }: an output of the mark shown last
//     (hosted: snippet.html with the pictures named after `base`; message: the .eml;
//     picture: both pictures as one PNG)
//
// The core is reached through the functions of src/web/WebBinding.cpp only.
import QuorelCore from './quorel-core.mjs';

const core = await QuorelCore();
const kPanels = ['signature', 'seal'];
const kCleanup = { none: 0, trim: 1, photo: 2 };
const kAlign = { left: 0, center: 1, right: 2 };
const kOutputs = { hosted: 1, signature: 2, seal: 3, message: 4, picture: 5 };
const kNoPictureExtension = -82;
const kUnsupported = -3;

const message = (status, name = '') => core.ccall('QuorelMessage', 'string', ['number', 'string'], [status, name]);

function copyIn(bytes) {
  const at = core._QuorelPictureBuffer(bytes.length);
  if (at === 0) return bytes.length === 0;  // an empty file is the reader's to refuse
  core.HEAPU8.set(bytes, at);
  return true;
}

// A format the core has no reader for, as the browser decodes it: RGBA rows.
async function browserRgba(picture) {
  const bitmap = await createImageBitmap(new Blob([picture.bytes], { type: picture.type }),
                                         { premultiplyAlpha: 'none', colorSpaceConversion: 'none' });
  const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
  const context = canvas.getContext('2d');
  context.drawImage(bitmap, 0, 0);
  bitmap.close();
  return context.getImageData(0, 0, canvas.width, canvas.height);
}

// The panel's new picture: 0 when taken, else the core's status.
async function take(index, picture) {
  if (!picture) {
    core._QuorelClearPicture(index);
    return 0;
  }
  if (!copyIn(picture.bytes)) return -6;  // out of memory
  const status = core.ccall('QuorelTakePicture', 'number', ['number', 'string'], [index, picture.name]);
  if (status !== kNoPictureExtension && status !== kUnsupported) return status;
  let rgba;
  try {
    rgba = await browserRgba(picture);
  } catch {
    return status;  // the browser cannot read it either: the core's word stands
  }
  if (!copyIn(rgba.data)) return -6;
  return core._QuorelTakeRgba(index, rgba.width, rgba.height);
}

async function make(request) {
  const refused = ['', ''];
  for (const [index, name] of kPanels.entries()) {
    const picture = request[name].picture;
    if (picture === undefined) continue;
    const status = await take(index, picture);
    if (status !== 0) refused[index] = message(status, picture.name);
  }
  core._QuorelSetLayout(kAlign[request.align] ?? 2, request.format === 'png' ? 1 : 0, Number(request.density));
  const readout = kPanels.map((name, index) => {
    const panel = request[name];
    core.ccall('QuorelSetPanel', 'number', ['number', 'number', 'number', 'string', 'number', 'string'],
               [index, panel.on ? 1 : 0, parseInt(panel.colour, 16) || 0, panel.scale,
                kCleanup[panel.cleanup] ?? 0, panel.alt ?? '']);
    const [width, height] = panel.preview;
    return core.UTF8ToString(core._QuorelReadout(index, width, height));
  });
  const made = core._QuorelMakeMark();
  const bytes = made === 0 && core._QuorelOutput(0, 0, 0, 0) === 0 ? output() : new Uint8Array(0);
  const snippet = new TextDecoder().decode(bytes);
  const ok = bytes.length > 0;
  // A panel that takes part without a picture is named as the window names it.
  const hasPicture = (index) => readout[index] !== '';
  const failed = made === -80 ? 0 : made === -81 ? 1 : -1;
  const status = ok ? '' : message(made === 0 ? -6 : made, failed >= 0 && hasPicture(failed) ? 'picture' : '');
  const notes = kPanels.map((_, index) => {
    const bits = ok ? core._QuorelImageNotes(index) : 0;
    return { cut: (bits & 1) !== 0, noInk: (bits & 2) !== 0 };
  });
  return { id: request.id, ok, snippet, readout, status, refused, notes,
           size: { characters: bytes.length, budget: ok ? core._QuorelOverBudget(bytes.length) : 0 } };
}

function output() {
  const at = core._QuorelOutputData();
  return core.HEAPU8.slice(at, at + core._QuorelOutputSize());
}

function makeOutput(request) {
  const token = [...crypto.getRandomValues(new Uint32Array(2))].map((n) => n.toString(16).padStart(8, '0')).join('');
  const time = Math.floor(Date.now() / 1000);
  const status = core.ccall('QuorelOutput', 'number', ['number', 'string', 'number', 'string'],
                            [kOutputs[request.output] ?? -1, request.base ?? '', time, `${time.toString(16)}.${token}`]);
  return { id: request.id, ok: status === 0, bytes: status === 0 ? output() : new Uint8Array(0), status };
}

let queue = Promise.resolve();
self.onmessage = ({ data }) => {
  queue = queue.then(async () => {
    let reply;
    try {
      reply = data.output ? makeOutput(data) : await make(data);
    } catch (error) {
      reply = { id: data.id, ok: false, snippet: '', readout: ['', ''], status: String(error), refused: ['', ''],
                notes: [{}, {}], size: { characters: 0, budget: 0 }, bytes: new Uint8Array(0) };
    }
    self.postMessage(reply);
  });
};
self.postMessage({ ready: true });
