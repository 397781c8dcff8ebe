// Quorel — SPDX-License-Identifier: MIT
// The page in headless Chromium over the DevTools protocol: both pictures set
// through the file inputs, then colour, scale, clean-up and style changed in
// the controls; each snippet shown must be the native tool's bytes for the
// same choices, and every request must go to the page's own origin.
// Usage: node drive-page.mjs NATIVE_TOOL WEB_DIR SOURCE_DIR
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';

const [nativeTool, webDir, source] = process.argv.slice(2).map((path) => resolve(path));
const WebSocket = globalThis.WebSocket ?? createRequire(import.meta.url)('ws');  // node-ws before node 22
const pictures = ['signature.bmp', 'seal.bmp'].map((name) => join(source, 'resources/samples', name));
const kSteps = [  // what the page is made to do (set(selector, panel, value)), and the tool's option for it
  [null, ['--signature', pictures[0], '--seal', pictures[1], '--signature-color', '000000', '--seal-color', 'ff0000']],
  ["set('.colour', 0, '#123456')", ['--signature-color', '123456']],
  ["set('.mode', 1, 'height'); set('.amount', 1, '40')", ['--seal-scale', 'height:40']],
  ["set('.cleanup', 0, 'trim')", ['--signature-cleanup', 'trim']],
  ["set('#format', 0, 'png'); set('#density', 0, '2')", ['--format', 'png', '--density', '2']],
  ["set('input[name=align]', 1, true)", ['--align', 'center']],
];
const kSet = `const set = (selector, index, value) => { const e = document.querySelectorAll(selector)[index];
  if (value === true) e.checked = true; else e.value = value;
  e.dispatchEvent(new Event(e.type === 'color' ? 'input' : 'change')); };`;

// A child and the first match of `pattern` in what it writes to `stream`.
const start = (command, args, stream, pattern) => new Promise((found, failed) => {
  const child = spawn(command, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  let text = '';
  child[stream].on('data', (data) => { text += data; if (pattern.test(text)) found([child, pattern.exec(text)[1]]); });
  child.on('exit', (code) => failed(new Error(`${command} ended (${code}): ${text}`)));
});
const profile = mkdtempSync(join(tmpdir(), 'quorel-page-'));
const [server, port] = await start('python3', ['-um', 'http.server', '0', '-b', '127.0.0.1', '-d', webDir], 'stdout', /port (\d+)/);
const [browser, address] = await start('chromium-headless-shell', ['--remote-debugging-port=0', '--no-sandbox',
                                       `--user-data-dir=${profile}`], 'stderr', /(ws:\/\/\S+)/);
const socket = new WebSocket(address);
await new Promise((opened) => { socket.onopen = opened; });
const [answers, requested, origin] = [new Map(), [], `http://127.0.0.1:${port}`];
socket.onmessage = ({ data }) => {
  const { id, method, params, result, error } = JSON.parse(data);
  if (method === 'Network.requestWillBeSent') requested.push(params.request.url);
  if (method === 'Runtime.exceptionThrown') console.error(JSON.stringify(params.exceptionDetails));  // beside its failure
  answers.get(id)?.(error ? Promise.reject(new Error(error.message)) : result);
};
const send = (method, params, sessionId) => new Promise((answered) => {
  answers.set(answers.size + 1, answered);
  socket.send(JSON.stringify({ id: answers.size, method, params, sessionId }));
});

let failures = 0;
try {
  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const on = (method, params = {}) => send(method, params, sessionId);
  const evaluate = async (expression) => (await on('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true })).result.value;
  for (const domain of ['Network', 'Page', 'Runtime']) await on(`${domain}.enable`);
  await on('Page.navigate', { url: `${origin}/index.html` });
  await evaluate("new Promise((r) => document.readyState === 'complete' ? r() : addEventListener('load', r))");
  const tool = ['--settings', profile, '--align', 'right'];
  for (const [action, options] of kSteps) {
    // This step's reply: the first with no newer choice waiting and both pictures read.
    await evaluate(`window.shown = new Promise((r) => document.addEventListener('quorel:shown', function seen(e) {
      if (e.detail.settled && e.detail.readout.every(Boolean)) r(e.detail, document.removeEventListener('quorel:shown', seen));
    })), 0`);
    if (action) await evaluate(`{ ${kSet} ${action} }`);
    const { nodeIds } = action ? {} : await on('DOM.querySelectorAll', { nodeId: (await on('DOM.getDocument')).root.nodeId, selector: 'input.file' });
    for (const [i, file] of (action ? [] : pictures).entries()) await on('DOM.setFileInputFiles', { nodeId: nodeIds[i], files: [file] });
    tool.push(...options);
    const [reply, native] = [await evaluate('window.shown'), spawnSync(nativeTool, tool)];
    if (!reply.ok || reply.snippet !== native.stdout.toString()) {
      failures++, console.error(`DIFFERS after ${action}: page ${reply.status} / tool ${native.status} ${native.stderr}`);
    }
  }
  const foreign = requested.filter((url) => !/^(data|blob):/.test(url) && !url.startsWith(`${origin}/`));
  if (foreign.length > 0 || requested.length === 0) failures++, console.error(`requests elsewhere: ${foreign}`);
} finally {
  socket.close();
  [browser, server].forEach((child) => child.kill());
  rmSync(profile, { recursive: true, force: true });
}
console.log(`drive-page: ${kSteps.length} steps, ${failures} failing`);
process.exit(failures === 0 ? 0 : 1);
