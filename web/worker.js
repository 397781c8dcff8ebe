// Quorel — SPDX-License-Identifier: MIT
// The core, compiled to WebAssembly, in a worker of its own so that the page
// stays responsive while a picture is decoded.
//
// The protocol: one request in, one reply out, matched by `id`.
//   page → worker  { id, signature: Panel, seal: Panel, align: 'left'|'center'|'right',
//                    format: 'gif'|'png', density: 1|2 }
//     Panel        { picture: { bytes: Uint8Array, name: 'photo.JPG' } | null
//                      | undefined  (undefined: the one sent before; the name's extension
//                      says the format, as a file's does in the window),
//                    on: boolean, colour: 'rrggbb',
//                    scale: 'none' | 'height:N' | 'width:N' | 'ratio:N',
//                    cleanup: 'none' | 'trim' | 'photo', preview: [width, height] }
//   worker → page  { id, ok, snippet, readout: [signature, seal], status, size }
//     snippet      the HTML, byte for byte the command-line tool's ('' when !ok)
//     size         { characters, budget }: budget is the core's limit when the
//                  snippet is over it (some editors refuse it), else 0
//     readout      each panel's size readout ('' without a usable picture)
//     status       the core's message when !ok (the window's Japanese text)
//
// The core is reached through the functions of src/web/WebBinding.cpp only.
import QuorelCore from './quorel-core.mjs';

const core = await QuorelCore();
const kPanels = ['signature', 'seal'];
const kCleanup = { none: 0, trim: 1, photo: 2 };
const paths = { signature: '', seal: '' };  // the picture's file, '' without one
core.FS.mkdir('/in');
core.FS.mkdir('/settings');  // stays empty: the page keeps its settings itself

function readout(name, panel) {
  if (!paths[name]) return '';
  const [width, height] = panel.preview;
  return core.ccall('QuorelReadout', 'string', ['string', 'string', 'number', 'number', 'number'],
                    [paths[name], panel.scale, kCleanup[panel.cleanup] ?? 0, width, height]);
}

function runTool(args) {
  const bytes = new TextEncoder().encode(args.join('\0'));
  const buffer = core._malloc(bytes.length + 1);
  core.HEAPU8.set(bytes, buffer);
  const code = core.ccall('QuorelRunTool', 'number', ['number', 'number'], [buffer, bytes.length]);
  core._free(buffer);
  const output = core.HEAPU8.slice(core._QuorelOutput(), core._QuorelOutput() + core._QuorelOutputSize());
  return { code, output: new TextDecoder().decode(output), error: core.UTF8ToString(core._QuorelError()) };
}

function toolArgs(request) {
  const args = ['--settings', '/settings', '--verbose', '--align', request.align, '--format', request.format,
                '--density', String(request.density)];
  for (const name of kPanels) {
    const panel = request[name];
    if (paths[name]) {
      args.push(`--${name}`, paths[name], `--${name}-scale`, panel.scale, `--${name}-cleanup`, panel.cleanup);
    }
    if (!panel.on) args.push(`--no-${name}`);
    args.push(`--${name}-color`, panel.colour);
  }
  return args;
}

function handle(request) {
  for (const name of kPanels) {
    const picture = request[name].picture;
    if (picture === undefined) continue;
    if (paths[name]) core.FS.unlink(paths[name]);
    paths[name] = '';
    if (!picture || picture.bytes.length === 0) continue;
    paths[name] = `/in/${name}${/\.[A-Za-z0-9]{1,5}$/.exec(picture.name)?.[0] ?? ''}`;
    core.FS.writeFile(paths[name], picture.bytes);
  }
  let result = runTool(toolArgs(request));
  // As in the window, a picture that cannot be read leaves its panel empty.
  const unreadable = kPanels.filter((name) => paths[name] && result.code === 2 &&
                                               result.error.includes(`${paths[name]}:`));
  if (unreadable.length > 0) {
    for (const name of unreadable) paths[name] = '';
    result = runTool(toolArgs(request));
  }
  const readouts = kPanels.map((name) => readout(name, request[name]));
  const ok = result.code === 0;
  // The --verbose line: "quorel-snippet: snippet of N characters (over B: …)".
  const [, characters = '0', budget = '0'] = /of (\d+) characters(?: \(over (\d+))?/.exec(result.error) ?? [];
  return { id: request.id, ok, snippet: ok ? result.output : '', readout: readouts,
           status: ok ? '' : result.error.trim(),
           size: { characters: Number(characters), budget: Number(budget) } };
}

self.onmessage = (event) => {
  let reply;
  try {
    reply = handle(event.data);
  } catch (error) {
    reply = { id: event.data.id, ok: false, snippet: '', readout: ['', ''], status: String(error),
              size: { characters: 0, budget: 0 } };
  }
  self.postMessage(reply);
};
self.postMessage({ ready: true });
