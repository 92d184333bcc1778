// badinput.js - bad input never takes the language server down: malformed headers and JSON,
// messages that are no requests, unknown methods, requests before initialize and after
// shutdown, documents never opened, positions past the end, a 10 MB document, binary garbage
// as a document, a message too long to read. Each gets an error response or a diagnostic, and
// the server answers the next request. Bytes are written to the server as they are, without a
// protocol library, so that they can be wrong.
'use strict';

const path = require('path');
const { spawn } = require('child_process');
const { vesk, check, same, scratch, uri, finish } = require('./harness');

const folder = scratch({});
const docUri = uri(path.join(folder, 'doc.vk'));

// The server with a reader of the messages it writes.
function server() {
  const child = spawn(vesk, ['--lsp'], { stdio: ['pipe', 'pipe', 'pipe'] });
  let pending = Buffer.alloc(0);
  const messages = [];
  let waiter = null;
  child.stdout.on('data', (data) => {
    pending = Buffer.concat([pending, data]);
    for (;;) {
      const end = pending.indexOf('\r\n\r\n');
      if (end < 0) break;
      const length = Number(/Content-Length: (\d+)/.exec(pending.subarray(0, end).toString())[1]);
      if (pending.length < end + 4 + length) break;
      messages.push(JSON.parse(pending.subarray(end + 4, end + 4 + length).toString()));
      pending = pending.subarray(end + 4 + length);
    }
    if (waiter) waiter();
  });
  let stderr = '';
  child.stderr.on('data', (data) => { stderr += data; });
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  const write = (bytes) => child.stdin.write(bytes);
  const frame = (body) => Buffer.concat([Buffer.from(`Content-Length: ${Buffer.byteLength(body)}\r\n\r\n`), Buffer.from(body)]);
  return {
    write,
    frame,
    send: (message) => write(frame(typeof message === 'string' ? message : JSON.stringify(message))),
    // The next message that `match` accepts (earlier ones are dropped).
    next(match) {
      return new Promise((resolve) => {
        const look = () => {
          while (messages.length > 0) {
            const message = messages.shift();
            if (match(message)) {
              waiter = null;
              resolve(message);
              return;
            }
          }
          waiter = look;
        };
        look();
      });
    },
    exited,
    stderr: () => stderr,
    end: () => child.stdin.end(),
  };
}

const byid = (id) => (m) => m.id === id && m.method === undefined;
const errorof = (m) => (m.error ? [m.id, m.error.code] : [m.id, 'no error']);

(async () => {
  const s = server();
  let id = 0;
  const request = async (method, params) => {
    id += 1;
    s.send({ jsonrpc: '2.0', id, method, params });
    return s.next(byid(id));
  };
  same('a request before initialize', errorof(await request('textDocument/hover', {})), [1, -32002]);
  await request('initialize', { capabilities: {} });
  s.send({ jsonrpc: '2.0', method: 'initialized', params: {} });

  // Framing and JSON.
  const bad = [
    ['a header without Content-Length', Buffer.from('Content-Type: x\r\n\r\n{}'), -32700],
    ['a header line of 5000 bytes', Buffer.from(`Content-Length: 2${' '.repeat(5000)}\r\n\r\n{}`), -32700],
    ['a length that is no number', Buffer.from('Content-Length: 1e3\r\n\r\n'), -32700],
    ['two lengths', Buffer.from('Content-Length: 2\r\nContent-Length: 2\r\n\r\n{}'), -32700],
    ['a body that is no JSON', s.frame('{nope'), -32700],
    ['JSON that is no object', s.frame('[1,2]'), -32600],
    ['an id that is an object', s.frame('{"id":{"a":1},"method":"shutdown"}'), -32600],
    ['a message without a method', s.frame('{"jsonrpc":"2.0","params":{}}'), -32600],
  ];
  for (const [name, bytes, code] of bad) {
    s.write(bytes);
    const answer = await s.next((m) => m.id === null);
    same(`framing and JSON: ${name}`, answer.error.code, code);
  }
  same('an unknown method', errorof(await request('vesk/nosuch', {}))[1], -32601);
  s.send({ jsonrpc: '2.0', method: 'vesk/unknownnotification', params: {} });
  same('a document never opened',
    errorof(await request('textDocument/hover', { textDocument: { uri: 'file:///never.vk' }, position: { line: 0, character: 0 } }))[1], -32602);
  same('params of the wrong types',
    errorof(await request('textDocument/completion', { textDocument: 5, position: 'x' }))[1], -32602);
  same('initialize twice', errorof(await request('initialize', { capabilities: {} }))[1], -32600);

  // Positions past the end.
  s.send({ jsonrpc: '2.0', method: 'textDocument/didOpen', params: { textDocument: { uri: docUri, languageId: 'vesk', version: 1, text: 'x = 1\nif x\n' } } });
  same('diagnostics on open', (await s.next((m) => m.method === 'textDocument/publishDiagnostics')).params.diagnostics.map((d) => d.code), ['block']);
  same('a line past the end',
    errorof(await request('textDocument/hover', { textDocument: { uri: docUri }, position: { line: 99, character: 0 } }))[1], -32602);
  const clamped = await request('textDocument/hover', { textDocument: { uri: docUri }, position: { line: 0, character: 500 } });
  check('a character past the line\'s end stands for its end', clamped.error === undefined && clamped.result === null, clamped);
  s.send({ jsonrpc: '2.0', method: 'textDocument/didChange', params: { textDocument: { uri: docUri, version: 2 }, contentChanges: [{ range: { start: { line: 50, character: 9 }, end: { line: 60, character: 0 } }, text: 'end\n' }] } });
  same('a change past the end is made at the end',
    (await s.next((m) => m.method === 'textDocument/publishDiagnostics')).params.diagnostics, []);

  // A 10 MB document, then binary garbage.
  const big = `${'total = total + 1 ; a line of about forty bytes\n'.repeat(200000)}x = (\n`;
  s.send({ jsonrpc: '2.0', method: 'textDocument/didOpen', params: { textDocument: { uri: docUri.replace('doc', 'big'), languageId: 'vesk', version: 1, text: big } } });
  const bigdiagnostics = await s.next((m) => m.method === 'textDocument/publishDiagnostics');
  same('a 10 MB document is checked', bigdiagnostics.params.diagnostics.map((d) => [d.range.start.line, d.code]), [[200000, 'syntax'], [200000, 'syntax']]);
  let garbage = '';
  let seed = 7;
  for (let i = 0; i < 20000; i += 1) {
    seed = (seed * 1103515245 + 12345) % 2147483648;
    garbage += String.fromCharCode((seed >>> 16) % 256);
  }
  s.send({ jsonrpc: '2.0', method: 'textDocument/didOpen', params: { textDocument: { uri: docUri.replace('doc', 'garbage'), languageId: 'vesk', version: 1, text: garbage } } });
  const garbled = await s.next((m) => m.method === 'textDocument/publishDiagnostics');
  check('binary garbage gets diagnostics', garbled.params.diagnostics.length > 0, garbled.params.diagnostics.length);
  const garbageDoc = { textDocument: { uri: docUri.replace('doc', 'garbage') } };
  for (const method of ['textDocument/documentSymbol', 'textDocument/foldingRange', 'textDocument/formatting']) {
    const answer = await request(method, { ...garbageDoc, options: { tabSize: 2, insertSpaces: true } });
    check(`binary garbage: ${method} answers`, answer.error === undefined, answer.error);
  }
  for (let line = 0; line < 40; line += 7) {
    for (const method of ['textDocument/completion', 'textDocument/hover', 'textDocument/definition', 'textDocument/signatureHelp']) {
      const answer = await request(method, { ...garbageDoc, position: { line, character: 3 } });
      check(`binary garbage: ${method} at line ${line}`, answer.error === undefined || answer.error.code === -32602, answer.error);
    }
  }

  // A message longer than the server reads is passed over, and the next one read.
  const toolong = 129 * 1024 * 1024;
  s.write(`Content-Length: ${toolong}\r\n\r\n`);
  const chunk = Buffer.alloc(1024 * 1024, 0x20);
  for (let i = 0; i < 129; i += 1) s.write(chunk);
  same('a message over 128 MiB', (await s.next((m) => m.id === null)).error.code, -32700);

  same('shutdown', (await request('shutdown')).result, null);
  same('a request after shutdown', errorof(await request('textDocument/hover', {}))[1], -32600);
  s.end(); // the input ends without exit: the status says the server ended on its own
  same('the input ends after shutdown: exit status 0, nothing on standard error', [await s.exited, s.stderr()], [0, '']);

  const early = server();
  early.end();
  same('the input ends without shutdown: exit status 1', await early.exited, 1);
  finish();
})().catch((error) => {
  console.log(`FAILED: ${error.stack}`);
  process.exit(1);
});
