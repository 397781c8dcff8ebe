// Quorel — SPDX-License-Identifier: MIT
// The web edition's figures, beside the native tool's in the same run (make bench):
// a 12-megapixel phone photo (JPEG, 4000 × 3000) to its snippet in headless
// Chromium's page and in the native tool, taken as a new picture (1×, no scale)
// and then fitted to a height of 48; the page's time from navigation until it
// answers; the wasm and JavaScript gzipped. Printed only, never judged.
// Usage: node scripts/web-bench.mjs NATIVE_TOOL   (after make web-build)
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';
import { expectReply, openBrowser, setPictures } from './chromium-page.mjs';

const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const webDir = join(root, 'build/web');
const nativeTool = process.argv[2];
const work = mkdtempSync(join(tmpdir(), 'quorel-web-bench-'));
const photo = join(work, 'phone.jpg');
// A phone photo's content, roughly: smooth light, fine grain, chroma subsampled.
spawnSync('convert', ['-size', '4000x3000', 'gradient:#e8e4dc-#b8b0a0', '-attenuate', '0.4', '+noise', 'Gaussian',
                      '-sampling-factor', '4:2:0', '-quality', '90', photo]);
const seconds = (start) => Number(process.hrtime.bigint() - start) / 1e9;
const line = (name, value) => console.log(`BENCH web ${name}: ${value}`);

const native = (...options) => {
  const start = process.hrtime.bigint();
  const run = spawnSync(nativeTool, ['--settings', join(root, 'tests/web'), '--signature', photo, '--no-seal', ...options]);
  return [seconds(start), run.stdout.toString()];
};
const [nativeNew, nativeSnippet] = native();
const [nativeScaled] = native('--signature-scale', 'height:48');

const page = await openBrowser(webDir);
try {
  await page.on('Page.addScriptToEvaluateOnNewDocument', { source:
    "document.addEventListener('quorel:shown', () => { window.firstShown ??= performance.now(); })" });
  await page.on('Page.navigate', { url: `${page.origin}/index.html` });
  await expectReply(page.evaluate, true);
  await page.evaluate('window.shown');
  const interactive = await page.evaluate('window.firstShown') / 1000;

  await expectReply(page.evaluate, true);
  await page.evaluate("{ const on = document.querySelectorAll('.on')[1]; on.checked = false; on.dispatchEvent(new Event('change')); }");
  await page.evaluate('window.shown');
  await expectReply(page.evaluate, true);
  let start = process.hrtime.bigint();
  await setPictures(page, [photo]);
  const shown = await page.evaluate('window.shown');
  const pageNew = seconds(start);
  await expectReply(page.evaluate, true);
  start = process.hrtime.bigint();
  await page.evaluate(`{ const q = (s) => document.querySelectorAll(s)[0];
    q('.mode').value = 'height'; q('.mode').dispatchEvent(new Event('change'));
    q('.amount').value = '48'; q('.amount').dispatchEvent(new Event('change')); }`);
  const scaled = await page.evaluate('window.shown');
  const pageScaled = seconds(start);

  line('12 MP JPEG to snippet, new picture (page / native)', `${pageNew.toFixed(2)} s / ${nativeNew.toFixed(2)} s` +
       ` (ratio ${(pageNew / nativeNew).toFixed(1)}; same bytes: ${shown.snippet === nativeSnippet})`);
  line('12 MP JPEG fitted to height 48 (page / native)', `${pageScaled.toFixed(2)} s / ${nativeScaled.toFixed(2)} s` +
       ` (ratio ${(pageScaled / nativeScaled).toFixed(1)}; ok: ${scaled.ok})`);
  line('page interactive (navigation to first answer)', `${interactive.toFixed(2)} s`);
} finally {
  await page.close();
  rmSync(work, { recursive: true, force: true });
}
const gzipped = (pattern) => readdirSync(webDir).filter((name) => pattern.test(name))
  .reduce((sum, name) => sum + gzipSync(readFileSync(join(webDir, name)), { level: 9 }).length, 0);
const [wasm, js] = [gzipped(/\.wasm$/), gzipped(/^(?!quorel-snippet).*\.m?js$/)];
line('gzipped size (wasm + JS of the page)', `${(wasm / 1024).toFixed(0)} + ${(js / 1024).toFixed(0)} = ` +
     `${((wasm + js) / 1024).toFixed(0)} KiB`);
process.exit(0);  // Chromium's helpers may hold its pipes open a while
