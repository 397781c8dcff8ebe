// Quorel — SPDX-License-Identifier: MIT
// The page with both sample pictures, grabbed in headless Chromium at 1280 and
// 360 pixels wide, at device scale 1 and 2, into docs/web-<width>[-2x].png.
// Usage: NODE_PATH=/usr/share/nodejs node scripts/web-screenshot.mjs   (after make web-build)
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const WebSocket = globalThis.WebSocket ?? createRequire(import.meta.url)('ws');
const start = (command, args, stream, pattern) => new Promise((found, failed) => {
  const child = spawn(command, args, { stdio: ['ignore', 'pipe', 'pipe'] });
  let text = '';
  child[stream].on('data', (data) => { text += data; if (pattern.test(text)) found([child, pattern.exec(text)[1]]); });
  child.on('exit', (code) => failed(new Error(`${command} ended (${code}): ${text}`)));
});
const profile = mkdtempSync(join(tmpdir(), 'quorel-shot-'));
const [server, port] = await start('python3', ['-um', 'http.server', '0', '-b', '127.0.0.1', '-d', join(root, 'build/web')],
                                   'stdout', /port (\d+)/);
const [browser, address] = await start('chromium-headless-shell', ['--remote-debugging-port=0', '--no-sandbox',
                                       `--user-data-dir=${profile}`], 'stderr', /(ws:\/\/\S+)/);
const socket = new WebSocket(address);
await new Promise((opened) => { socket.onopen = opened; });
const answers = new Map();
socket.onmessage = ({ data }) => { const { id, result } = JSON.parse(data); answers.get(id)?.(result); };
const send = (method, params, sessionId) => new Promise((answered) => {
  answers.set(answers.size + 1, answered);
  socket.send(JSON.stringify({ id: answers.size, method, params, sessionId }));
});
try {
  const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
  const on = (method, params = {}) => send(method, params, sessionId);
  const evaluate = async (expression) => (await on('Runtime.evaluate', { expression, awaitPromise: true })).result;
  for (const [width, scale] of [[1280, 1], [360, 1], [1280, 2], [360, 2]]) {
    await on('Emulation.setDeviceMetricsOverride', { width, height: 900, deviceScaleFactor: scale, mobile: width < 600 });
    await on('Page.navigate', { url: `http://127.0.0.1:${port}/index.html` });
    await evaluate("new Promise((r) => document.readyState === 'complete' ? r() : addEventListener('load', r))");
    await evaluate(`window.shown = new Promise((r) => document.addEventListener('quorel:shown', (e) => {
      if (e.detail.settled && e.detail.readout.every(Boolean)) r(); })), 0`);
    const { nodeIds } = await on('DOM.querySelectorAll', { nodeId: (await on('DOM.getDocument')).root.nodeId, selector: 'input.file' });
    for (const [i, name] of ['signature.bmp', 'seal.bmp'].entries()) {
      await on('DOM.setFileInputFiles', { nodeId: nodeIds[i], files: [join(root, 'resources/samples', name)] });
    }
    await evaluate('window.shown');
    const { cssContentSize } = await on('Page.getLayoutMetrics');
    const clip = { x: 0, y: 0, width, height: Math.ceil(cssContentSize.height), scale: 1 };
    const { data } = await on('Page.captureScreenshot', { format: 'png', captureBeyondViewport: true, clip });
    writeFileSync(join(root, 'docs', `web-${width}${scale === 2 ? '-2x' : ''}.png`), Buffer.from(data, 'base64'));
  }
} finally {
  socket.close();
  [browser, server].forEach((child) => child.kill());
  rmSync(profile, { recursive: true, force: true });
}
