// Quorel — SPDX-License-Identifier: MIT
// The tool for node against the native tool: the same standard output, standard
// error, exit status and -o file, byte for byte, over the fixtures, the fuzz seeds
// and regressions and a sample of the corpora (each file under the next option
// set of the table), every set on the samples, and each way to the settings.
// Usage: node compare-tool.mjs NATIVE_TOOL WEB_DIR SOURCE_DIR
import { spawn } from 'node:child_process';
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';

const [nativeTool, webDir, source] = process.argv.slice(2);
const tools = [[nativeTool], [process.env.QUOREL_WEB_NODE ?? 'node', join(webDir, 'quorel-snippet.mjs')]];
const kOptionSets = [  // F: the picture
  ['--signature', 'F', '--no-seal'],
  ['--seal', 'F', '--no-signature', '--seal-color', 'ff0000'],
  ['--signature', 'F', '--no-seal', '--signature-scale', 'height:48'],
  ['--signature', 'F', '--no-seal', '--format', 'png', '--density', '2'],
  ['--signature', 'F', '--no-seal', '--signature-cleanup', 'trim', '--align', 'center'],
  ['--seal', 'F', '--no-signature', '--seal-cleanup', 'photo', '--format', 'png'],
  ['--signature', 'F', '--seal', 'F', '--signature-scale', 'ratio:50', '--seal-scale', 'width:64', '--verbose'],
  ['--signature', 'F', '--no-seal', '--page', '--signature-color', '#f0f0f0'],
  ['--signature', 'F', '--no-seal', '--signature-scale', 'width:640', '--density', '2', '--signature-cleanup', 'photo'],
];
const files = (dir, pattern = /\.(bmp|gif|jpe?g|png)$/i) => (existsSync(dir) ? readdirSync(dir, { recursive: true }) : [])
  .map((name) => join(dir, name)).filter((path) => pattern.test(path) && statSync(path).isFile()).sort();
// About 40 files of the corpora, which CI must have.
const corpora = files(join(source, '..', 'shared', 'corpora'));
if (corpora.length === 0 && process.env.CI === 'true') throw new Error('compare-tool: no ../shared/corpora');
const pictures = [...files(join(source, 'tests/data')).filter((f) => !f.includes('/bounds/')),
                  ...corpora.filter((_, i) => i % Math.ceil(corpora.length / 40) === 0)];
// The fuzz files under the first set only: the readers are what they test, and
// some decode to 268 megapixels, slow under the sanitizers. The web edition
// has no HEIF or WebP reader (the page hands those to the browser).
const fuzzFiles = files(join(source, 'fuzz'), /\/(seeds|regressions)\/.*(?<!\.md)$/)
  .filter((path) => !/\/(heif|webp)\//.test(path));
const work = mkdtempSync(join(tmpdir(), 'quorel-web-test-'));
const stored = join(work, '.config', 'Wq');  // both working pictures, found by HOME too
mkdirSync(stored, { recursive: true });
copyFileSync(join(source, 'resources/samples/signature.bmp'), join(stored, '$quorel_s.bmp'));
copyFileSync(join(source, 'resources/samples/seal.bmp'), join(stored, '$quorel_i.bmp'));
const withPicture = (set, file) => [...set.map((a) => (a === 'F' ? file : a)), '--settings', join(work, '.config')];
const samples = ['signature.bmp', 'seal.bmp'].map((name) => join(source, 'resources/samples', name));
const cases = [...pictures.map((file, i) => ({ args: withPicture(kOptionSets[i % kOptionSets.length], file) })),
  ...fuzzFiles.map((file) => ({ args: withPicture(kOptionSets[0], file) })),
  ...samples.flatMap((file) => kOptionSets.map((set) => ({ args: withPicture(set, file) }))),
  { args: ['--settings', stored, '--page', '--align', 'left'] }, { args: [], env: { XDG_CONFIG_HOME: join(work, '.config') } },
  { args: ['--format', 'png'], env: { HOME: work, XDG_CONFIG_HOME: '' } }, { args: ['--settings', join(work, 'none')] },
  { args: ['--signature-scale', 'height:9x'] }, { args: ['--help'] }, { args: ['--version'] },
  { args: ['--settings', stored, '-o', join(work, 'out')], file: join(work, 'out') }];

// One run, bounded in CPU time, never in wall time.
const run = (command, { args, env, file }) => new Promise((resolve) => {
  const child = spawn('sh', ['-c', 'ulimit -t 120; exec "$@"', 'sh', ...command, ...args], { env: { ...process.env, ...env } });
  const out = [[], []];
  child.stdout.on('data', (d) => out[0].push(d));
  child.stderr.on('data', (d) => out[1].push(d));
  child.on('close', (code, signal) => {
    const written = file && existsSync(file) ? readFileSync(file).toString('base64') : '';
    if (file) rmSync(file, { force: true });
    const [stdout, stderr] = out.map((parts) => Buffer.concat(parts));
    resolve(JSON.stringify([code, signal, stderr.toString(), stdout.toString('base64'), written]));
  });
});

let failures = 0;
for (const c of cases) {  // side by side, but one after the other when both write the -o file
  const [native, web] = c.file ? [await run(tools[0], c), await run(tools[1], c)] : await Promise.all(tools.map((t) => run(t, c)));
  if (native !== web) {
    failures++;
    console.error(`DIFFERS: ${JSON.stringify(c)}\n  native ${native.slice(0, 300)}\n  web    ${web.slice(0, 300)}`);
  }
}
// Out of memory is a status, not an abort, at whatever step memory runs out:
// under a sweep of caps on the module's memory (small-memory.cjs) a picture of
// strokes on paper gives the snippet or the tool's out-of-memory message, some
// of each.
const [w, h] = [1800, 1200];
const bmp = Buffer.alloc(54 + w * 3 * h, 0xe8).fill(0, 0, 54);
bmp.write('BM'); bmp.writeUInt32LE(bmp.length, 2); bmp.writeUInt32LE(54, 10); bmp.writeUInt32LE(40, 14);
bmp.writeInt32LE(w, 18); bmp.writeInt32LE(h, 22); bmp.writeUInt16LE(1, 26); bmp.writeUInt16LE(24, 28);
for (let p = 0; p < w * h; p++) if ((p % w + 2 * Math.floor(p / w)) % 97 < 5) bmp.fill(0x30, 54 + 3 * p, 57 + 3 * p);
const strokes = join(work, 'strokes.bmp');
writeFileSync(strokes, bmp);
const capped = (cap) => run([tools[1][0], '-r', resolve(source, 'tests/web/small-memory.cjs'), tools[1][1]],
  { args: withPicture(['--signature', 'F', '--no-seal', '--signature-cleanup', 'photo', '--format', 'png'], strokes),
    env: { QUOREL_MEMORY_CAP: String(cap * 2 ** 20) } });
const whole = await capped(4096);
if (JSON.parse(whole)[0] !== 0) failures++, console.error(`OUT OF MEMORY: no snippet without a cap: ${whole.slice(0, 300)}`);
const outcomes = new Set();
for (const cap of [16, 18, 20, 22, 24, 26, 28, 32]) {
  const result = await capped(cap);
  const [code, , stderr] = JSON.parse(result);
  const outcome = result === whole ? 'made' : code === 2 && stderr === `quorel-snippet: ${strokes}: out of memory\n` ? 'read'
    : code === 1 && stderr === 'システム異常です．\n' ? 'mark' : `exit ${code}: ${stderr.slice(0, 200)}`;
  if (!['made', 'read', 'mark'].includes(outcome)) failures++, console.error(`OUT OF MEMORY at ${cap} MiB: ${outcome}`);
  outcomes.add(outcome === 'made' ? 'made' : 'failed');
}
if (outcomes.size !== 2) failures++, console.error(`OUT OF MEMORY: the caps gave only ${[...outcomes]}`);

rmSync(work, { recursive: true, force: true });
console.log(`compare-tool: ${cases.length} cases, ${failures} differing`);
process.exit(failures === 0 ? 0 : 1);
