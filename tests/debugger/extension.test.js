// extension.test.js - the VS Code extension's debugger (editors/vscode/debugger.js), loaded
// with a stand-in for the `vscode` module that records what the extension registers and
// starts. The adapter that its factory names and the configurations that its commands build
// are then used with the real `vesk --dap`: what VS Code would start is what is tested.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const Module = require('node:module');
const path = require('node:path');
const { DebugClient } = require('@vscode/debugadapter-testsupport');
const { script, after, top, timeout } = require('./client');

const extension = path.join(__dirname, '..', '..', 'editors', 'vscode');
const manifest = require(path.join(extension, 'package.json'));

// What the extension registered and started, through the stand-in.
const seen = { commands: {}, factories: {}, providers: {}, started: [] };
class Uri { constructor(fsPath) { this.fsPath = fsPath; } }
const vscode = {
  Uri,
  DebugAdapterExecutable: class { constructor(command, args) { Object.assign(this, { command, args }); } },
  DebugAdapterServer: class { constructor(port, host) { Object.assign(this, { port, host }); } },
  workspace: {
    getConfiguration: section => ({ get: key => (section === 'vesk' && key === 'path' ? process.env.VESK : undefined) }),
    getWorkspaceFolder: () => undefined,
  },
  window: { activeTextEditor: undefined, showErrorMessage: message => { throw new Error(message); } },
  debug: {
    registerDebugAdapterDescriptorFactory: (type, factory) => { seen.factories[type] = factory; },
    registerDebugConfigurationProvider: (type, provider) => { seen.providers[type] = provider; },
    startDebugging: (folder, configuration, options) => { seen.started.push({ configuration, options }); },
  },
  commands: { registerCommand: (name, run) => { seen.commands[name] = run; } },
};
const load = Module._load;
Module._load = function (request, ...rest) {
  return request === 'vscode' ? vscode : load.call(this, request, ...rest);
};
require(path.join(extension, 'debugger.js')).activate({ subscriptions: [] });

// A client of the adapter the extension's factory gives for `configuration`.
async function adapterfor(configuration) {
  const executable = seen.factories.vesk.createDebugAdapterDescriptor({ configuration });
  assert.ok(executable instanceof vscode.DebugAdapterExecutable);
  assert.deepStrictEqual(executable.args, ['--dap']);
  const dc = new DebugClient(executable.command, executable.args[0], 'vesk');
  dc.defaultTimeout = timeout;
  await dc.start();
  const initialized = dc.waitForEvent('initialized');
  await dc.initializeRequest();
  await initialized;
  return dc;
}

test('the extension registers the debugger type and the commands its manifest contributes', () => {
  const type = manifest.contributes.debuggers[0].type;
  assert.deepStrictEqual(Object.keys(seen.factories), [type]);
  assert.deepStrictEqual(Object.keys(seen.providers), [type]);
  assert.deepStrictEqual(Object.keys(seen.commands).sort(),
                         manifest.contributes.commands.map(c => c.command).sort());
  assert.deepStrictEqual(manifest.contributes.breakpoints, [{ language: 'vesk' }]);
  const attach = seen.factories.vesk.createDebugAdapterDescriptor(
      { configuration: { type, request: 'attach', port: 4711 } });
  assert.deepStrictEqual([attach.port, attach.host], [4711, '127.0.0.1']);
});

test('"Debug vesk file" launches the file so that its breakpoints stop it', async () => {
  seen.started.length = 0;
  await seen.commands['vesk.debugFile'](new Uri(script('main.vk')));
  const { configuration, options } = seen.started[0];
  assert.strictEqual(options.noDebug, false);
  const dc = await adapterfor(configuration);
  try {
    await dc.setBreakpointsRequest({ source: { path: script('double.vk') }, breakpoints: [{ line: 2 }] });
    await dc.launchRequest(configuration);
    await after(dc, 'stopped', () => dc.configurationDoneRequest());
    assert.strictEqual((await top(dc)).source.path, script('double.vk'));
  } finally {
    await dc.stop();
  }
});

test('"Run vesk file" runs the file in its folder without stopping at breakpoints', async () => {
  seen.started.length = 0;
  vscode.window.activeTextEditor = { document: { uri: new Uri(script('fails.vk')), languageId: 'vesk' } };
  await seen.commands['vesk.runFile']();
  const { configuration } = seen.started[0];
  assert.strictEqual(configuration.cwd, path.dirname(script('fails.vk')));
  const dc = await adapterfor(configuration);
  try {
    await dc.setBreakpointsRequest({ source: { path: script('fails.vk') }, breakpoints: [{ line: 2 }] });
    await dc.launchRequest(configuration);
    const exited = await after(dc, 'exited', () => dc.configurationDoneRequest());
    assert.strictEqual(exited.body.exitCode, 1);
  } finally {
    await dc.stop();
  }
  // F5 without a launch.json: the active file, debugged.
  const resolved = seen.providers.vesk.resolveDebugConfiguration(undefined, {});
  assert.deepStrictEqual([resolved.program, resolved.noDebug], [script('fails.vk'), false]);
});
