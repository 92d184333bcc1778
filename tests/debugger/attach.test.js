// attach.test.js - a client attaching to examples/debughost, a host that runs a script round
// after round with a vesk::debugger listening: a breakpoint stops the host's run, the client
// looks at the run's values, and after the client leaves the host runs on to its end. A second
// client is turned away while the first is attached.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const net = require('node:net');
const path = require('node:path');
const { spawn } = require('node:child_process');
const { DebugClient } = require('@vscode/debugadapter-testsupport');
const { after, top, globals, timeout } = require('./client');

const tick = path.join(process.env.EXAMPLES, 'debughost', 'tick.vk');

// The host, running `rounds` rounds; resolves once it says which port it listens on.
function starthost(rounds) {
  const host = spawn(process.env.DEBUGHOST, ['--port', '0', '--rounds', String(rounds), '--pause',
                                             '20', tick], { stdio: ['ignore', 'pipe', 'inherit'] });
  host.output = '';
  host.exited = new Promise(done => host.on('exit', code => done(code)));
  return new Promise((resolve, reject) => {
    host.stdout.on('data', data => {
      host.output += data;
      const found = /listening on 127\.0\.0\.1:(\d+)/.exec(host.output);
      if (found && !host.port) resolve(Object.assign(host, { port: Number(found[1]) }));
    });
    host.on('exit', () => reject(new Error(`the host ended: ${host.output}`)));
  });
}

async function attach(port) {
  const dc = new DebugClient('', '', 'vesk');
  dc.defaultTimeout = timeout;
  await dc.start(port);
  const initialized = dc.waitForEvent('initialized', timeout);
  await dc.initializeRequest();
  await initialized;
  await dc.attachRequest({ host: '127.0.0.1', port });
  return dc;
}

// A second connection while one client is attached: the host closes it without a word.
function turnedaway(port) {
  return new Promise(resolve => {
    const socket = net.createConnection(port, '127.0.0.1');
    let answered = false;
    socket.on('data', () => { answered = true; });
    socket.on('close', () => resolve(!answered));
    socket.on('error', () => resolve(!answered));
    socket.write('Content-Length: 2\r\n\r\n{}');
  });
}

test('a client attaches to a running host, stops it at a breakpoint and lets it run on',
     { timeout: 3 * timeout }, async () => {
  const host = await starthost(60);
  try {
    const dc = await attach(host.port);
    // The host's run stops as soon as the breakpoint is set, maybe before the configuration
    // is done: the wait for the stop begins before either.
    const stopping = dc.waitForEvent('stopped');
    const placed = await dc.setBreakpointsRequest({ source: { path: tick },
                                                    breakpoints: [{ line: 7 }] });
    assert.strictEqual(placed.body.breakpoints[0].verified, true);
    await dc.configurationDoneRequest();
    const stopped = await stopping;
    assert.strictEqual(stopped.body.reason, 'breakpoint');
    const frame = await top(dc);
    assert.deepStrictEqual([frame.source.path, frame.line], [tick, 7]);
    const before = Number((await globals(dc)).ticks.value);
    assert.strictEqual(await turnedaway(host.port), true);
    // The next round stops at the same line, one tick further.
    await after(dc, 'stopped', () => dc.continueRequest({ threadId: 1 }));
    assert.strictEqual(Number((await globals(dc)).ticks.value), before + 1);
    await dc.disconnectRequest({});
    dc.stopAdapter();
    assert.strictEqual(await host.exited, 0);
    assert.match(host.output, /pass 60 ticks 60/);
  } finally {
    host.kill();
  }
});

// Resolves once the host has printed more than it had.
function progress(host) {
  const before = host.output.length;
  return new Promise(resolve => {
    const check = setInterval(() => {
      if (host.output.length > before) resolve(clearInterval(check));
    }, 20);
  });
}

test('a client can attach again after another left', { timeout: 3 * timeout }, async () => {
  const host = await starthost(0);
  try {
    // A client that sets a breakpoint and leaves without attaching leaves the host running.
    const early = new DebugClient('', '', 'vesk');
    await early.start(host.port);
    await early.initializeRequest();
    await early.setBreakpointsRequest({ source: { path: tick }, breakpoints: [{ line: 7 }] });
    await early.disconnectRequest({});
    early.stopAdapter();
    await progress(host);
    await progress(host); // a whole round began after the client left
    for (let round = 0; round < 2; ++round) {
      const dc = await attach(host.port);
      const stopped = await after(dc, 'stopped', async () => {
        await dc.setBreakpointsRequest({ source: { path: tick }, breakpoints: [{ line: 8 }] });
        await dc.configurationDoneRequest();
      });
      assert.strictEqual(stopped.body.reason, 'breakpoint');
      await assert.rejects(dc.terminateRequest({}), /the host's runs are the host's to end/);
      await dc.disconnectRequest({});
      dc.stopAdapter();
    }
  } finally {
    host.kill();
  }
});
