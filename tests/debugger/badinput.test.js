// badinput.test.js - what a client that breaks the protocol gets from `vesk --dap`: an error
// response for every message that cannot be read or followed, the stream back in step after a
// wrong Content-Length, and a clean exit when the client disappears in the middle of a run.
// The bytes are written raw, as no well-behaved client would write them.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { spawn } = require('node:child_process');
const { script, scripts, timeout } = require('./client');

// The adapter as a process, with the messages it sends collected in order.
function adapter() {
  const child = spawn(process.env.VESK, ['--dap'], { stdio: ['pipe', 'pipe', 'inherit'] });
  const got = { messages: [], waiting: [] };
  let pending = Buffer.alloc(0);
  child.stdout.on('data', data => {
    pending = Buffer.concat([pending, data]);
    for (;;) {
      const end = pending.indexOf('\r\n\r\n');
      if (end < 0) return;
      const length = Number(/Content-Length: (\d+)/.exec(pending.subarray(0, end).toString())[1]);
      if (pending.length < end + 4 + length) return;
      got.messages.push(JSON.parse(pending.subarray(end + 4, end + 4 + length).toString()));
      pending = pending.subarray(end + 4 + length);
      got.waiting.splice(0).forEach(wake => wake());
    }
  });
  const exited = new Promise(done => child.on('exit', code => done(code)));
  const send = bytes => child.stdin.write(bytes);
  const frame = object => {
    const body = JSON.stringify(object);
    return `Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`;
  };
  // The next `count` messages that are responses, waited for.
  const responses = async count => {
    const deadline = Date.now() + timeout;
    for (;;) {
      const seen = got.messages.filter(m => m.type === 'response');
      if (seen.length >= count) return seen.slice(0, count);
      if (Date.now() > deadline) throw new Error(`only ${seen.length} responses`);
      await new Promise(wake => { got.waiting.push(wake); setTimeout(wake, 100); });
    }
  };
  return { child, got, send, frame, responses, exited };
}

let seq = 1;
const request = (command, args) => ({ seq: seq++, type: 'request', command, arguments: args });

test('each unreadable or misplaced message gets an error response, and the stream goes on', async () => {
  const a = adapter();
  const initialize = a.frame(request('initialize', { adapterID: 'vesk' }));
  a.send('Content-Length: 7\r\n\r\nnot js!');
  a.send('X-Other: 1\r\n\r\n');
  a.send(a.frame(request('threads')));                  // before initialize
  a.send(a.frame([1, 2, 3]));                           // JSON, but no request
  a.send(initialize.replace(/Content-Length: \d+/, m => `Content-Length: ${Number(m.slice(16)) - 9}`));
  a.send(initialize);                                   // in step again
  a.send(a.frame(request('initialize', {})));           // a second one
  a.send(a.frame(request('frobnicate', {})));
  a.send(a.frame(request('launch', {})));               // no program
  a.send(a.frame(request('launch', { program: script('double.vk'), cwd: scripts })));
  a.send(a.frame(request('launch', { program: script('double.vk') })));
  a.send(a.frame(request('attach', { port: 1 })));
  a.send(a.frame(request('stackTrace', { threadId: 1 }))); // nothing paused
  a.send(a.frame({ seq: seq++, type: 'request', command: 'setBreakpoints', arguments: 'x' }));
  a.send(a.frame(request('disconnect', {})));
  const got = await a.responses(15);
  const shown = got.map(r => r.success ? `ok ${r.command}` : `error ${r.command}: ${r.message}`);
  assert.deepStrictEqual(shown, [
    'error : the message is no JSON',
    'error : a header without a valid Content-Length',
    "error threads: the first request must be 'initialize'",
    'error : the message is no request',
    'error : the message is no JSON',
    'ok initialize',
    'error initialize: the session is initialized already',
    "error frobnicate: unknown request 'frobnicate'",
    "error launch: 'program' names no script",
    'ok launch',
    "error launch: 'launch' came already",
    "error attach: this adapter takes 'launch', not 'attach'",
    'error stackTrace: the script is not paused',
    'error setBreakpoints: breakpoints need a source with a path',
    'ok disconnect',
  ]);
  assert.strictEqual(await a.exited, 0);
});

test('a message announced beyond 64 MiB is skipped without being kept', async () => {
  const a = adapter();
  a.send(`Content-Length: ${64 * 1024 * 1024 + 1}\r\n\r\n`);
  a.send(Buffer.alloc(64 * 1024 * 1024 + 1, 'x'));
  a.send(a.frame(request('initialize', {})));
  const got = await a.responses(2);
  assert.deepStrictEqual(got.map(r => r.success), [false, true]);
  a.child.stdin.end();
  assert.strictEqual(await a.exited, 0);
});

test('a client that disappears in the middle of a run leaves the adapter to end by itself', async () => {
  const a = adapter();
  a.send(a.frame(request('initialize', {})));
  a.send(a.frame(request('launch', { program: script('spin.vk') })));
  a.send(a.frame(request('configurationDone', {})));
  await a.responses(3);
  await new Promise(done => setTimeout(done, 200));
  a.child.stdin.end();
  assert.strictEqual(await a.exited, 0);
});
