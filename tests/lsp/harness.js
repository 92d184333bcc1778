// harness.js - what the node tests of the language server share: a scratch folder of scripts,
// the server started as the VS Code extension starts it (editors/vscode/server.js) and driven
// through the protocol library VS Code's own client uses, and the counting of checks.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const util = require('util');
const { spawn } = require('child_process');

// Arguments: MODULES (node_modules with vscode-languageserver-protocol), VESK, EDITORS (the
// editors folder), EXTENSIONS (the folder of the test extension libraries).
const [modules, vesk, editors, extensions] = process.argv.slice(2);
const protocol = require(path.join(modules, 'vscode-languageserver-protocol/node'));
const { serverCommand } = require(path.join(editors, 'vscode/server.js'));

let passed = 0;
const failures = [];

function check(name, condition, detail) {
  if (condition) {
    passed += 1;
  } else {
    failures.push(name);
    console.log(`FAILED: ${name}${detail === undefined ? '' : `\n  ${JSON.stringify(detail)}`}`);
  }
}

// Values compared whole (the order of an object's members does not count).
function same(name, actual, expected) {
  check(name, util.isDeepStrictEqual(actual, expected), { actual, expected });
}

// A fresh folder with the given files ({ 'name.vk': text, 'lib/x.vk': text }).
function scratch(files) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'vesk-lsp-'));
  for (const [name, text] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(folder, name)), { recursive: true });
    fs.writeFileSync(path.join(folder, name), text);
  }
  return folder;
}

function uri(file) {
  return `file://${file.split('/').map(encodeURIComponent).join('/')}`;
}

// Starts the server with the extension's settings and connects the protocol library to it.
// `client.diagnostics(uri)` waits for the next diagnostics of a document.
async function start(settings, capabilities) {
  const { command, args } = serverCommand({ path: vesk, ...settings });
  const child = spawn(command, args, { stdio: ['pipe', 'pipe', 'pipe'] });
  let stderr = '';
  child.stderr.on('data', (data) => { stderr += data; });
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  const connection = protocol.createProtocolConnection(
    new protocol.StreamMessageReader(child.stdout), new protocol.StreamMessageWriter(child.stdin));
  const waiting = new Map();
  const received = new Map();
  connection.onNotification('textDocument/publishDiagnostics', (params) => {
    const waiter = waiting.get(params.uri);
    if (waiter) {
      waiting.delete(params.uri);
      waiter(params);
    } else {
      received.set(params.uri, params);
    }
  });
  connection.listen();
  const initialized = await connection.sendRequest('initialize', {
    processId: process.pid, rootUri: null, capabilities: capabilities || {},
  });
  connection.sendNotification('initialized', {});
  return {
    connection,
    child,
    initialized,
    request: (method, params) => connection.sendRequest(method, params),
    notify: (method, params) => connection.sendNotification(method, params),
    diagnostics(document) {
      if (received.has(document)) {
        const params = received.get(document);
        received.delete(document);
        return Promise.resolve(params);
      }
      return new Promise((resolve) => waiting.set(document, resolve));
    },
    // Shuts the server down; its exit status and what it wrote to standard error.
    async stop() {
      await connection.sendRequest('shutdown');
      connection.sendNotification('exit');
      const code = await exited;
      connection.dispose();
      return { code, stderr };
    },
  };
}

function finish() {
  console.log(`${passed} passed, ${failures.length} failed`);
  process.exit(failures.length === 0 ? 0 : 1);
}

module.exports = { modules, vesk, editors, extensions, check, same, scratch, uri, start, finish };
