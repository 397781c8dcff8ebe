// Quorel — SPDX-License-Identifier: MIT
// The tool under node sees node's environment (HOME, XDG_CONFIG_HOME, TMPDIR)
// as the native tool sees its own, not emscripten's made-up defaults.
Module['preRun'] = [function () {
  for (const name of ['USER', 'LOGNAME', 'PATH', 'PWD', 'HOME', 'LANG', '_']) ENV[name] = undefined;
  Object.assign(ENV, process.env);
}];
