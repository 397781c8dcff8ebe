// Quorel — SPDX-License-Identifier: MIT
// The page in headless Chromium: both pictures set through the file inputs,
// then colour, scale, clean-up and style changed in the controls; each snippet
// shown must be the native tool's bytes for the same choices, as must the files
// saved for elsewhere; a WebP (which only the browser reads) gives the snippet of
// the PNG it was made from; a file no one reads is refused, the panel kept; and
// every request must go to the page's own origin.
// Usage: node drive-page.mjs NATIVE_TOOL WEB_DIR SOURCE_DIR
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { expectReply, loadWithPictures, openBrowser, savedBy, setPictures } from '../../scripts/chromium-page.mjs';

const [nativeTool, webDir, source] = process.argv.slice(2).map((path) => resolve(path));
const pictures = ['signature.bmp', 'seal.bmp'].map((name) => join(source, 'resources/samples', name));
const kSteps = [  // what the page is made to do (set(selector, panel, value)), and the tool's options for it
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

const work = mkdtempSync(join(tmpdir(), 'quorel-page-'));
const page = await openBrowser(webDir);
let failures = 0;
try {
  const tool = ['--settings', join(source, 'tests/web'), '--align', 'right'];  // a folder without settings
  for (const [action, options] of kSteps) {
    if (action) await expectReply(page.evaluate);
    const reply = action ? (await page.evaluate(`{ ${kSet} ${action} }`), await page.evaluate('window.shown'))
                         : await loadWithPictures(page, pictures);
    const native = spawnSync(nativeTool, tool.concat(...options));
    tool.push(...options);
    if (!reply.ok || reply.snippet !== native.stdout.toString()) {
      failures++, console.error(`DIFFERS after ${action}: page ${reply.status} / tool ${native.status} ${native.stderr}`);
    }
  }
  const native = (...options) => spawnSync(nativeTool, tool.concat(...options));
  const url = 'https://example.com/quorel';
  native('--export', work, '--base-url', url, '--picture', join(work, 'both.png'));
  await page.evaluate(`{ ${kSet} set('#base', 0, '${url}') }`);
  for (const [button, file] of [['#save-hosted', 'snippet.html'], ['#save-signature', 'signature.png'],
                                ['#save-seal', 'seal.png'], ['#save-picture', 'both.png']]) {
    if (await savedBy(page.evaluate, button) !== readFileSync(join(work, file)).toString('base64')) {
      failures++, console.error(`${button} saves other bytes than the tool's ${file}`);
    }
  }
  const message = Buffer.from(await savedBy(page.evaluate, '#save-message'), 'base64').toString();
  if (!message.includes('Content-Type: multipart/related')) failures++, console.error('no message saved');

  const png = join(source, 'tests/data/png/rgb8.png');
  const webp = join(work, 'rgb8.webp');
  if (spawnSync('cwebp', ['-quiet', '-lossless', png, '-o', webp]).status) throw new Error('no cwebp (Debian\'s webp)');
  await expectReply(page.evaluate, true);  // the PNG's picture is too small to have a readout
  await setPictures(page, [null, webp]);
  const shown = await page.evaluate('window.shown');
  // A new picture's scale starts at none, in the page as in the window.
  if (!shown.ok || shown.snippet !== native('--seal', png, '--seal-scale', 'none').stdout.toString()) {
    failures++, console.error(`the WebP differs: ${shown.status}`);
  }
  await expectReply(page.evaluate, true);
  await setPictures(page, [join(source, 'tests/web/CMakeLists.txt')]);
  const refused = await page.evaluate('window.shown');
  if (!refused.refused[0].includes('「CMakeLists.txt」') || refused.snippet !== shown.snippet) {
    failures++, console.error(`an unreadable file is not refused as in the window: ${JSON.stringify(refused.refused)}`);
  }
  const foreign = page.requested.filter((url) => !/^(data|blob):/.test(url) && !url.startsWith(`${page.origin}/`));
  if (foreign.length > 0 || page.requested.length === 0) failures++, console.error(`requests elsewhere: ${foreign}`);
} finally {
  await page.close();
  rmSync(work, { recursive: true, force: true });
}
console.log(`drive-page: ${kSteps.length} steps, ${failures} failing`);
process.exit(failures === 0 ? 0 : 1);
