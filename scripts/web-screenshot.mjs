// Quorel — SPDX-License-Identifier: MIT
// The page with both sample pictures, grabbed in headless Chromium at 1280 and
// 360 pixels wide, at device scale 1 and 2, into docs/web-<width>[-2x].png.
// Usage: NODE_PATH=/usr/share/nodejs node scripts/web-screenshot.mjs   (after make web-build)
import { writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { loadWithPictures, openBrowser } from './chromium-page.mjs';

const root = join(dirname(fileURLToPath(import.meta.url)), '..');
const page = await openBrowser(join(root, 'build/web'));
try {
  for (const [width, scale] of [[1280, 1], [360, 1], [1280, 2], [360, 2]]) {
    await page.on('Emulation.setDeviceMetricsOverride', { width, height: 900, deviceScaleFactor: scale, mobile: width < 600 });
    await loadWithPictures(page, ['signature.bmp', 'seal.bmp'].map((name) => join(root, 'resources/samples', name)));
    await page.evaluate("document.querySelector('.everywhere').open = true");  // the outputs for elsewhere shown
    const { cssContentSize } = await page.on('Page.getLayoutMetrics');
    const clip = { x: 0, y: 0, width, height: Math.ceil(cssContentSize.height), scale: 1 };
    const { data } = await page.on('Page.captureScreenshot', { format: 'png', captureBeyondViewport: true, clip });
    writeFileSync(join(root, 'docs', `web-${width}${scale === 2 ? '-2x' : ''}.png`), Buffer.from(data, 'base64'));
  }
} finally {
  await page.close();
}
process.exit(0);  // Chromium's helpers may hold its pipes open a while
