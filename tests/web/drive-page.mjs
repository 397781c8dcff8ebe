// Quorel — SPDX-License-Identifier: MIT
// The page in headless Chromium over the DevTools protocol against the native
// tool: pictures set through the file inputs, then colour, scale, clean-up and
// style changed through the controls; each snippet the page shows must be the
// tool's bytes, and every request the page makes must go to its own origin.
// Usage: node drive-page.mjs NATIVE_TOOL WEB_DIR SOURCE_DIR
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { createRequire } from 'node:module';

const [nativeTool, webDir, source] = process.argv.slice(2).map((path) => resolve(path));
const WebSocket = globalThis.WebSocket ?? createRequire(import.meta.url)('ws');
const signature = join(source, 'resources/samples/signature.bmp');
const seal = join(source, 'resources/samples/seal.bmp');
// Each step: what the page is made to do, and the same choices for the tool.
const kSteps = [
  { page: 'set', tool: [] },
  { page: "pick('.colour', 0, '#123456')", tool: ['--signature-color', '123456'] },
  { page: "pick('.mode', 1, 'height'); pick('.amount', 1, '40')", tool: ['--seal-scale', 'height:40'] },
  { page: "pick('.cleanup', 0, 'trim')", tool: ['--signature-cleanup', 'trim'] },
  { page: "pick('#format', 0, 'png'); pick('#density', 0, '2')", tool: ['--format', 'png', '--density', '2'] },
  { page: "pick('input[name=align]', 1, true)", tool: ['--align', 'center'] },
];

// A child whose first line matching `pattern` on the given stream is returned.
function start(command, args, stream, pattern) {
  const child = spawn(command, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  return new Promise((resolve, reject) => {
    let text = '';
    child[stream].on('data', (data) => {
      text += data;
      const match = pattern.exec(text);
      if (match) resolve({ child, match });
    });
    child.on('exit', (code) => reject(new Error(`${command} ended (${code}): ${text}`)));
  });
}

const profile = mkdtempSync(join(tmpdir(), 'quorel-page-'));
const server = await start('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '-d', webDir],
                           'stdout', /port (\d+)/);
const origin = `http://127.0.0.1:${server.match[1]}`;
const browser = await start('chromium-headless-shell', ['--remote-debugging-port=0', `--user-data-dir=${profile}`,
                            '--no-sandbox', 'about:blank'], 'stderr', /(ws:\/\/\S+)/);
const socket = new WebSocket(browser.match[1]);
await new Promise((resolve) => { socket.onopen = resolve; });
let nextId = 1;
const waiting = new Map();
const requested = [];
socket.onmessage = ({ data }) => {
  const message = JSON.parse(data);
  if (message.method === 'Network.requestWillBeSent') requested.push(message.params.request.url);
  // The page's own errors, shown with any failure they cause.
  if (message.method === 'Runtime.exceptionThrown') console.error(JSON.stringify(message.params.exceptionDetails));
  if (message.method === 'Log.entryAdded') console.error(message.params.entry.text);
  waiting.get(message.id)?.(message);
};
function send(method, params = {}, sessionId) {
  const id = nextId++;
  socket.send(JSON.stringify({ id, method, params, sessionId }));
  return new Promise((resolve, reject) => waiting.set(id, (m) => (m.error ? reject(new Error(m.error.message)) : resolve(m.result))));
}

let failures = 0;
try {
  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const on = (method, params) => send(method, params, sessionId);
  await on('Network.enable');
  await on('Page.enable');
  await on('Runtime.enable');
  await on('Log.enable');
  const evaluate = async (expression) => (await on('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true })).result.value;
  await on('Page.navigate', { url: `${origin}/index.html` });
  await evaluate("new Promise((r) => document.readyState === 'complete' ? r() : addEventListener('load', r))");
  await evaluate(`window.pick = (selector, index, value) => {
    const element = document.querySelectorAll(selector)[index];
    if (value === true) element.checked = true; else element.value = value;
    element.dispatchEvent(new Event(element.type === 'color' ? 'input' : 'change'));
  }`);
  const tool = [];
  for (const step of kSteps) {
    // The reply that shows this step's choices: the first with none waiting after it (and,
    // once the pictures are set, with both read).
    await evaluate(`window.shown = new Promise((r) => document.addEventListener('quorel:shown', function seen(e) {
      if (!e.detail.settled || !e.detail.readout.every(Boolean)) return;
      document.removeEventListener('quorel:shown', seen);
      r(e.detail);
    })), 0`);
    if (step.page === 'set') {
      const { root } = await on('DOM.getDocument', { depth: -1, pierce: true });
      const { nodeIds } = await on('DOM.querySelectorAll', { nodeId: root.nodeId, selector: 'input.file' });
      await on('DOM.setFileInputFiles', { nodeId: nodeIds[0], files: [signature] });
      await on('DOM.setFileInputFiles', { nodeId: nodeIds[1], files: [seal] });
      tool.push('--signature', signature, '--seal', seal, '--seal-color', 'ff0000', '--signature-color', '000000',
                '--align', 'right');
    } else {
      await evaluate(step.page);
    }
    tool.push(...step.tool);
    const reply = await evaluate('window.shown');
    const native = spawnSync(nativeTool, [...tool, '--settings', profile]);
    if (!reply.ok || reply.snippet !== native.stdout.toString()) {
      failures++;
      console.error(`DIFFERS after ${step.page}: page ${reply.ok} ${reply.status} / tool ${native.status} ${native.stderr}`);
    }
  }
  const foreign = requested.filter((url) => !url.startsWith(`${origin}/`) && !url.startsWith('data:') && !url.startsWith('blob:'));
  if (foreign.length > 0 || requested.length === 0) {
    failures++;
    console.error(`requests outside the page's origin: ${foreign.join(' ')}`);
  }
} finally {
  socket.close();
  browser.child.kill();
  server.child.kill();
  rmSync(profile, { recursive: true, force: true });
}
console.log(`drive-page: ${kSteps.length} steps, ${failures} failing`);
process.exit(failures === 0 ? 0 : 1);
