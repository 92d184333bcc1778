// extension.js - the VS Code extension's entry: registers the debugger (debugger.js), starts
// vesk's language server (vesk --lsp) through VS Code's language client for every vesk script,
// and starts it again when the settings it is started with change.
'use strict';

const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');
const { serverCommand } = require('./server');
const debuggerpart = require('./debugger');

let client = null;

function settings() {
  const section = vscode.workspace.getConfiguration('vesk');
  return {
    path: section.get('path'),
    includeFolders: section.get('includeFolders'),
    libraries: section.get('libraries'),
  };
}

async function start() {
  const { command, args } = serverCommand(settings());
  client = new LanguageClient('vesk', 'vesk language server', { command, args }, {
    documentSelector: [{ language: 'vesk' }],
  });
  await client.start();
}

async function stop() {
  if (client !== null) {
    const running = client;
    client = null;
    await running.stop();
  }
}

async function activate(context) {
  debuggerpart.activate(context);
  context.subscriptions.push(vscode.workspace.onDidChangeConfiguration(async (event) => {
    if (event.affectsConfiguration('vesk')) {
      await stop();
      await start();
    }
  }));
  await start();
}

function deactivate() {
  return stop();
}

module.exports = { activate, deactivate };
