// SPDX-License-Identifier: MIT
// The browser engines the page is tried in, as Debian packages them: Chromium and
// Firefox ESR driven by puppeteer-core (Firefox over WebDriver BiDi), and WebKit, Safari's
// engine, through WebKitGTK's own WebDriver in a virtual display.
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';

import puppeteer from 'puppeteer-core';

// Chromium as this machine allows it: no sandbox as root, and none of the background
// connections that a closed network refuses.
const ENGINES = {
  chromium: {
    browser: 'chrome',
    executablePath: process.env.PIECEFEN_CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--disable-quic', '--no-first-run'],
  },
  firefox: { browser: 'firefox', executablePath: process.env.PIECEFEN_FIREFOX ?? '/usr/bin/firefox-esr' },
};
export const PUPPETEER_ENGINES = Object.keys(ENGINES);

// Starts an engine, headless; with `dark`, in the dark colour scheme.
export function launch(engine, { dark = false } = {}) {
  const { args = [], ...rest } = ENGINES[engine];
  return puppeteer.launch({
    headless: true,
    ...rest,
    args: dark && engine === 'chromium' ? [...args, '--force-dark-mode', '--blink-settings=preferredColorScheme=0'] : args,
    extraPrefsFirefox: dark ? { 'layout.css.prefers-color-scheme.content-override': 0 } : {},
  });
}

const freePort = () => new Promise((resolve) => {
  const server = createServer().listen(0, '127.0.0.1', () => {
    const { port } = server.address();
    server.close(() => resolve(port));
  });
});

// A WebKit session through WebKitWebDriver's classic W3C WebDriver: `command(method, path,
// body)` sends one command of the session, and `close()` ends the session and the driver.
export async function webkit() {
  const port = await freePort();
  const driver = spawn('xvfb-run', ['-a', 'WebKitWebDriver', `--port=${port}`], { stdio: 'ignore', detached: true });
  const base = `http://127.0.0.1:${port}`;
  const send = async (method, path, body) => {
    const response = await fetch(base + path, { method, headers: { 'content-type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body) });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`WebKitWebDriver: ${value.error}: ${value.message}`);
    return value;
  };
  for (let tries = 0; ; ++tries) {
    try {
      await send('GET', '/status');
      break;
    } catch (error) {
      if (tries > 100) throw error;
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }
  const { sessionId } = await send('POST', '/session', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': {
    binary: process.env.PIECEFEN_MINIBROWSER ?? '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
    args: ['--automation'],
  } } } });
  return {
    command: (method, path, body) => send(method, `/session/${sessionId}${path}`, body),
    close: async () => {
      await send('DELETE', `/session/${sessionId}`).catch(() => {});
      process.kill(-driver.pid);
    },
  };
}
