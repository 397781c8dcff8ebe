// Quorel — SPDX-License-Identifier: MIT
// Preloaded (node -r) by compare-tool.mjs: WebAssembly memory may not grow
// past QUOREL_MEMORY_CAP bytes, as when a browser gives a page no more.
const cap = Number(process.env.QUOREL_MEMORY_CAP);
const grow = WebAssembly.Memory.prototype.grow;
WebAssembly.Memory.prototype.grow = function (pages) {
  if (this.buffer.byteLength + pages * 65536 > cap) throw new RangeError('over the cap');
  return grow.call(this, pages);
};
