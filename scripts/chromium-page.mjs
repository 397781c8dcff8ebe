// Quorel — SPDX-License-Identifier: MIT
// The web edition's page in headless Chromium, driven over the DevTools
// protocol (node's WebSocket, or Debian's node-ws before node 22): the page's
// test and scripts/web-screenshot.mjs share it.
import { spawn } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const WebSocket = globalThis.WebSocket ?? createRequire(import.meta.url)('ws');

// A child and the first match of `pattern` in what it writes to `stream`.
const start = (command, args, stream, pattern) => new Promise((found, failed) => {
  // In a group of its own: Debian's chromium-headless-shell is a script that
  // does not exec the browser, which a kill of the script alone would orphan.
  const child = spawn(command, args, { stdio: ['ignore', 'pipe', 'pipe'], detached: true });
  let text = '';
  child[stream].on('data', (data) => { text += data; if (pattern.test(text)) found([child, pattern.exec(text)[1]]); });
  child.on('exit', (code) => failed(new Error(`${command} ended (${code}): ${text}`)));
});

// Serves webDir on a free local port and opens a blank tab. `on(method, params)`
// sends a command to the tab; `requested` collects the URLs the tab asked for;
// the page's uncaught errors go to standard error.
export async function openBrowser(webDir) {
  const profile = mkdtempSync(join(tmpdir(), 'quorel-chromium-'));
  const [server, port] = await start('python3', ['-um', 'http.server', '0', '-b', '127.0.0.1', '-d', webDir],
                                     'stdout', /port (\d+)/);
  const [browser, address] = await start('chromium-headless-shell', ['--remote-debugging-port=0', '--no-sandbox',
                                         `--user-data-dir=${profile}`], 'stderr', /(ws:\/\/\S+)/);
  const socket = new WebSocket(address);
  await new Promise((opened) => { socket.onopen = opened; });
  const answers = new Map();
  const requested = [];
  socket.onmessage = ({ data }) => {
    const { id, method, params, result, error } = JSON.parse(data);
    if (method === 'Network.requestWillBeSent') requested.push(params.request.url);
    if (method === 'Runtime.exceptionThrown') console.error(JSON.stringify(params.exceptionDetails));
    answers.get(id)?.(error ? Promise.reject(new Error(error.message)) : result);
  };
  const send = (method, params, sessionId) => new Promise((answered) => {
    answers.set(answers.size + 1, answered);
    socket.send(JSON.stringify({ id: answers.size, method, params, sessionId }));
  });
  const close = () => {
    socket.close();
    // The profile goes once Chromium has ended: it writes there until then.
    browser.removeAllListeners('exit');
    const ended = new Promise((done) => browser.once('exit', done));
    [browser, server].forEach((child) => process.kill(-child.pid));
    // The launcher script ends first; its browser processes (same group) may
    // still be writing the profile: it goes once none of the group is left.
    // (Zombies do not count: they write nothing, and nobody may reap them.)
    const groupGone = () => !readdirSync('/proc').some((pid) => {
      try {
        const fields = readFileSync(`/proc/${pid}/stat`, 'latin1').split(') ')[1].split(' ');
        return fields[0] !== 'Z' && Number(fields[2]) === browser.pid;
      } catch {
        return false;
      }
    });
    const whenGone = () => new Promise((done) => {
      const check = () => (groupGone() ? done() : setImmediate(check));
      check();
    });
    return ended.then(whenGone).then(() => rmSync(profile, { recursive: true, force: true }));
  };
  try {
    const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
    const on = (method, params = {}) => send(method, params, sessionId);
    for (const domain of ['Network', 'Page', 'Runtime']) await on(`${domain}.enable`);
    const evaluate = async (expression) =>
      (await on('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true })).result.value;
    return { on, evaluate, requested, origin: `http://127.0.0.1:${port}`, close };
  } catch (error) {
    await close();
    throw error;
  }
}

// Loads the page and sets the two sample pictures through its file inputs;
// `shown` resolves with the first reply that shows both, with no newer choice
// waiting.
export async function loadWithPictures(page, pictures) {
  await page.on('Page.navigate', { url: `${page.origin}/index.html` });
  await page.evaluate("new Promise((r) => document.readyState === 'complete' ? r() : addEventListener('load', r))");
  await expectReply(page.evaluate);
  await setPictures(page, pictures);
  return page.evaluate('window.shown');
}

// Files set through the panels' file inputs, from the first panel's on (null: left as is).
export async function setPictures({ on }, files) {
  const { nodeIds } = await on('DOM.querySelectorAll', { nodeId: (await on('DOM.getDocument')).root.nodeId, selector: 'input.file' });
  for (const [i, file] of files.entries()) if (file) await on('DOM.setFileInputFiles', { nodeId: nodeIds[i], files: [file] });
}

// From now on, window.shown is the next reply with no newer choice waiting and,
// unless `anyReadout`, both pictures read.
export function expectReply(evaluate, anyReadout = false) {
  return evaluate(`window.shown = new Promise((r) => document.addEventListener('quorel:shown', function seen(e) {
    if (e.detail.settled && (${anyReadout} || e.detail.readout.every(Boolean))) {
      r(e.detail, document.removeEventListener('quorel:shown', seen));
    }
  })), 0`);
}

// The file a button of the page saves, as base64.
export const savedBy = (evaluate, button) => evaluate(`new Promise((saved) => {
  document.addEventListener('quorel:download', ({ detail }) => new Response(detail.blob).arrayBuffer()
    .then((b) => saved(btoa([...new Uint8Array(b)].map((c) => String.fromCharCode(c)).join('')))), { once: true });
  document.querySelector('${button}').click(); })`);
