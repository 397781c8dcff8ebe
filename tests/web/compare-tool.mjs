// Quorel — SPDX-License-Identifier: MIT
// The tool for node against the native tool: the same standard output, standard
// error and exit status, byte for byte, over the fixtures, the fuzz seeds and
// regressions and a sample of the public corpora, each file under one option
// set of the table in turn, plus every set on the sample pictures and the
// ways a settings folder is found.
// Usage: node compare-tool.mjs NATIVE_TOOL WEB_TOOL.mjs SOURCE_DIR
import { spawn } from 'node:child_process';
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { cpus, tmpdir } from 'node:os';
import { join } from 'node:path';

const [nativeTool, webTool, source] = process.argv.slice(2);
if (!existsSync(webTool)) {
  console.error(`compare-tool: ${webTool} is missing (make web-build)`);
  process.exit(1);
}

// F stands for the picture under test.
const kOptionSets = [
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
const kSkipped = /\.(rgb|py|md|txt)$/;

function filesUnder(dir) {
  if (!existsSync(dir)) return [];
  return readdirSync(dir, { recursive: true }).map((name) => join(dir, name))
    .filter((path) => statSync(path).isFile() && !kSkipped.test(path)).sort();
}

// Every n-th file of the corpora, about 40 in all; the corpora are required
// under CI.
function corpusSample() {
  const all = filesUnder(join(source, '..', 'shared', 'corpora')).filter((f) => /\.(bmp|gif|jpe?g|png)$/i.test(f));
  if (all.length === 0 && process.env.CI === 'true') throw new Error('compare-tool: no corpora under ../shared');
  const step = Math.max(1, Math.floor(all.length / 40));
  return all.filter((_, i) => i % step === 0);
}

const work = mkdtempSync(join(tmpdir(), 'quorel-web-test-'));
const empty = join(work, 'empty');
mkdirSync(empty);
// A settings folder with both working pictures, found through --settings,
// XDG_CONFIG_HOME and HOME.
const stored = join(work, 'config', 'Wq');
mkdirSync(stored, { recursive: true });
copyFileSync(join(source, 'resources/samples/signature.bmp'), join(stored, '$quorel_s.bmp'));
copyFileSync(join(source, 'resources/samples/seal.bmp'), join(stored, '$quorel_i.bmp'));

const cases = [];  // { args, env }
const pictures = [...filesUnder(join(source, 'tests/data')).filter((f) => !f.includes('/bounds/')),
                  ...filesUnder(join(source, 'fuzz/seeds')), ...filesUnder(join(source, 'fuzz/regressions')),
                  ...corpusSample()];
pictures.forEach((file, i) => cases.push({ args: withPicture(kOptionSets[i % kOptionSets.length], file) }));
for (const sample of ['signature.bmp', 'seal.bmp']) {
  for (const set of kOptionSets) cases.push({ args: withPicture(set, join(source, 'resources/samples', sample)) });
}
cases.push({ args: ['--settings', stored] }, { args: ['--settings', stored, '--page', '--align', 'left'] },
           { args: [], env: { XDG_CONFIG_HOME: join(work, 'config') } },
           { args: ['--format', 'png'], env: { HOME: work, XDG_CONFIG_HOME: '' } },
           { args: ['--settings', join(work, 'missing')] }, { args: ['--signature-scale', 'height:9x'] },
           { args: ['--help'] }, { args: ['--version'] });

function withPicture(set, file) {
  return [...set.map((a) => (a === 'F' ? file : a)), ...(set.includes('--settings') ? [] : ['--settings', empty])];
}

// One run, bounded in CPU time, never in wall time.
function run(command, args, env) {
  return new Promise((resolve) => {
    const child = spawn('sh', ['-c', 'ulimit -t 120; exec "$@"', 'sh', ...command, ...args],
                        { env: { ...process.env, ...env } });
    const out = [];
    const err = [];
    child.stdout.on('data', (d) => out.push(d));
    child.stderr.on('data', (d) => err.push(d));
    child.on('close', (code, signal) => resolve({ code, signal, out: Buffer.concat(out), err: Buffer.concat(err) }));
  });
}

let failures = 0;
async function compare({ args, env }) {
  const [native, web] = await Promise.all([run([nativeTool], args, env), run(['node', webTool], args, env)]);
  const differs = ['code', 'signal', 'out', 'err'].filter((k) =>
    Buffer.isBuffer(native[k]) ? !native[k].equals(web[k]) : native[k] !== web[k]);
  if (differs.length > 0) {
    failures++;
    console.error(`DIFFERS in ${differs.join(', ')}: ${JSON.stringify(args)} ${JSON.stringify(env ?? {})}` +
                  ` native ${native.code} ${native.err} / web ${web.code} ${web.err}`);
  }
}

const queue = [...cases];
const workers = Array.from({ length: Math.max(1, Math.floor(cpus().length / 2)) }, async () => {
  while (queue.length > 0) await compare(queue.shift());
});
await Promise.all(workers);
// -o FILE: the same file from both.
const written = await Promise.all([[nativeTool], ['node', webTool]].map(async (command, i) => {
  const file = join(work, `out-${i}.txt`);
  const { code } = await run(command, ['--settings', stored, '-o', file], {});
  return existsSync(file) ? `${code} ${readFileSync(file).toString('base64')}` : `${code}`;
}));
if (written[0] !== written[1]) {
  failures++;
  console.error('DIFFERS: -o FILE');
}
rmSync(work, { recursive: true, force: true });
console.log(`compare-tool: ${cases.length} cases, ${failures} differing`);
process.exit(failures === 0 ? 0 : 1);
