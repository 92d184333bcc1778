// windows.test.js - `vesk.exe --dap` from the Windows build, run through Wine: one scripted
// exchange (initialize, launch, a breakpoint, continue, the exit), which the other adapter
// tests cover in full on the build machine. The paths are the Windows program's own view of
// the script folder.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { spawn } = require('node:child_process');
const { DebugClient } = require('@vscode/debugadapter-testsupport');
const { script, scripts, after, top } = require('./client');

// Wine starts slowly the first time, in a fresh prefix.
const timeout = 120000;

test('vesk.exe --dap stops at a breakpoint and reports the exit', { timeout: 4 * timeout }, async () => {
  const adapter = spawn(process.env.VESK_EMULATOR, [process.env.VESK, '--dap'],
                        { stdio: ['pipe', 'pipe', 'inherit'] });
  const dc = new DebugClient('', '', 'vesk');
  dc.defaultTimeout = timeout;
  dc.connect(adapter.stdout, adapter.stdin);
  const stdout = { text: '' };
  dc.on('output', event => { if (event.body.category === 'stdout') stdout.text += event.body.output; });
  try {
    const initialized = dc.waitForEvent('initialized');
    await dc.initializeRequest();
    await initialized;
    const placed = await dc.setBreakpointsRequest({ source: { path: script('double.vk') },
                                                    breakpoints: [{ line: 2 }] });
    assert.strictEqual(placed.body.breakpoints[0].verified, true);
    await dc.launchRequest({ program: script('main.vk'), cwd: scripts });
    const stopped = await after(dc, 'stopped', () => dc.configurationDoneRequest());
    assert.strictEqual(stopped.body.reason, 'breakpoint');
    const frame = await top(dc);
    assert.deepStrictEqual([frame.name, frame.line], ['double.vk', 2]);
    await dc.setBreakpointsRequest({ source: { path: script('double.vk') }, breakpoints: [] });
    const exited = await after(dc, 'exited', () => dc.continueRequest({ threadId: 1 }));
    assert.strictEqual(exited.body.exitCode, 0);
    assert.strictEqual(stdout.text.replace(/\r\n/g, '\n'), 'total 12 \n');
    await dc.disconnectRequest({});
  } finally {
    adapter.kill();
  }
});
