// Quorel — SPDX-License-Identifier: MIT
// The tool is an ES module (quorel-snippet.mjs) so that any node runs it
// without flags; emscripten's node code expects CommonJS's names.
import { createRequire } from 'node:module';
import { dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
const require = createRequire(import.meta.url);
const __filename = fileURLToPath(import.meta.url);
const __dirname = dirname(__filename);
