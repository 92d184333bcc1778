// launch.test.js - `vesk --dap` driven by the debug adapter test support, as VS Code drives it:
// launching a script, breakpoints, steps across script calls, the values of a paused run,
// pause, terminate, output and the exit status.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { script, launchclient, after, launchto, top, globals, collectoutput } = require('./client');

// Each test gets its own adapter, told to go when the test is over.
async function session(run) {
  const dc = await launchclient();
  try {
    await run(dc);
  } finally {
    await dc.stop();
  }
}

test('stops on entry at the first statement, and runs to the end with status 0', () =>
  session(async dc => {
    const stdout = collectoutput(dc, 'stdout');
    const threads = [];
    dc.on('thread', event => threads.push(`${event.body.reason} ${event.body.threadId}`));
    const stopped = await launchto(dc, 'main.vk', {}, { stopOnEntry: true });
    assert.strictEqual(stopped.body.reason, 'entry');
    const frame = await top(dc);
    assert.strictEqual(frame.line, 3);
    assert.strictEqual(frame.source.path, script('main.vk'));
    const exited = await after(dc, 'exited', () => dc.continueRequest({ threadId: 1 }));
    assert.strictEqual(exited.body.exitCode, 0);
    assert.strictEqual(stdout.text, 'total 12 \n');
    assert.deepStrictEqual(threads, ['started 1', 'exited 1']);
  }));

test('a breakpoint on a comment moves to the next statement; one in a called script stops there', () =>
  session(async dc => {
    const placed = await dc.setBreakpointsRequest({ source: { path: script('double.vk') },
                                                    breakpoints: [{ line: 1 }] });
    assert.deepStrictEqual([placed.body.breakpoints[0].verified, placed.body.breakpoints[0].line],
                           [true, 2]);
    const stopped = await launchto(dc, 'main.vk', {});
    assert.strictEqual(stopped.body.reason, 'breakpoint');
    assert.deepStrictEqual(stopped.body.hitBreakpointIds, [placed.body.breakpoints[0].id]);
    const frame = await top(dc);
    assert.strictEqual(frame.source.path, script('double.vk'));
    assert.strictEqual(frame.line, 2);
    const seen = await dc.customRequest('loadedSources', {});
    assert.deepStrictEqual(seen.body.sources.map(s => s.path).sort(),
                           [script('double.vk'), script('main.vk')]);
  }));

test('steps in, over and out across script calls', () =>
  session(async dc => {
    await launchto(dc, 'main.vk', { 'main.vk': [6] });
    const where = async () => { const f = await top(dc); return `${f.name}:${f.line}`; };
    assert.strictEqual(await where(), 'main.vk:6');
    await after(dc, 'stopped', () => dc.stepInRequest({ threadId: 1 }));
    const frames = (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames;
    assert.deepStrictEqual(frames.map(f => `${f.name}:${f.line}`), ['double.vk:2', 'main.vk:6']);
    await after(dc, 'stopped', () => dc.stepOutRequest({ threadId: 1 }));
    assert.strictEqual(await where(), 'main.vk:7');
    await after(dc, 'stopped', () => dc.nextRequest({ threadId: 1 }));
    assert.strictEqual(await where(), 'main.vk:8');
    // Over the call: the called script's statement is not a stop.
    await after(dc, 'stopped', () => dc.nextRequest({ threadId: 1 }));
    assert.strictEqual(await where(), 'main.vk:6');
    await after(dc, 'stopped', () => dc.nextRequest({ threadId: 1 }));
    assert.strictEqual(await where(), 'main.vk:7');
  }));

test('shows a nested named list and pages through a long list', () =>
  session(async dc => {
    await launchto(dc, 'main.vk', { 'main.vk': [5] });
    const shop = (await globals(dc)).shop;
    assert.strictEqual(shop.type, 'named list');
    assert.strictEqual(shop.namedVariables, 3);
    const members = (await dc.variablesRequest({ variablesReference: shop.variablesReference }))
                        .body.variables;
    assert.deepStrictEqual(members.map(m => m.name), ['name', 'open', 'stock']);
    assert.strictEqual(members[0].value, '"corner"');
    const stock = (await dc.variablesRequest({ variablesReference: members[2].variablesReference }))
                      .body.variables;
    assert.deepStrictEqual(stock.map(s => s.name), ['[0]', '[1]']);
    const pear = (await dc.variablesRequest({ variablesReference: stock[1].variablesReference }))
                     .body.variables;
    assert.deepStrictEqual(pear.map(p => `${p.name}=${p.value}`), ['item="pear"', 'count=0']);
  }).then(() => session(async dc => {
    await launchto(dc, 'long.vk', { 'long.vk': [6] });
    const numbers = (await globals(dc)).numbers;
    assert.strictEqual(numbers.indexedVariables, 250);
    const page = (await dc.variablesRequest({ variablesReference: numbers.variablesReference,
                                               filter: 'indexed', start: 200, count: 30 }))
                     .body.variables;
    assert.strictEqual(page.length, 30);
    assert.deepStrictEqual([page[0].name, page[0].value, page[29].name, page[29].value],
                           ['[200]', '40000', '[229]', '52441']);
  })));

test('a hit count stops on the chosen pass; a log point writes instead of stopping', () =>
  session(async dc => {
    const console = collectoutput(dc, 'console');
    await dc.setBreakpointsRequest({ source: { path: script('double.vk') },
                                     breakpoints: [{ line: 2, logMessage: 'doubling' }] });
    await dc.setBreakpointsRequest({ source: { path: script('main.vk') },
                                     breakpoints: [{ line: 7, hitCondition: '3' }] });
    await launchto(dc, 'main.vk', {});
    const at = await globals(dc);
    assert.deepStrictEqual([at.i.value, at.result.value], ['3', '6']);
    assert.strictEqual(console.text, 'doubling\ndoubling\ndoubling\n');
  }));

test('setVariable changes a global the script then uses', () =>
  session(async dc => {
    const stdout = collectoutput(dc, 'stdout');
    await launchto(dc, 'main.vk', { 'main.vk': [9] });
    const frame = await top(dc);
    const scope = (await dc.scopesRequest({ frameId: frame.id })).body.scopes[0];
    const set = (name, value) =>
      dc.setVariableRequest({ variablesReference: scope.variablesReference, name, value });
    assert.strictEqual((await set('total', '100')).body.value, '100');
    await assert.rejects(set('shop', '1'), /only a number, a text or an undefined value/);
    await assert.rejects(set('total', '{1}'), /the new value is a list, not a number or a text/);
    await after(dc, 'terminated', () => dc.continueRequest({ threadId: 1 }));
    assert.strictEqual(stdout.text, 'total 100 \n');
  }));

test('pauses a tight loop, and a sleep once it returns', () =>
  session(async dc => {
    await dc.launchRequest({ program: script('spin.vk') });
    await after(dc, 'output', () => dc.configurationDoneRequest());
    await new Promise(done => setTimeout(done, 200)); // in the loop by now
    const paused = await after(dc, 'stopped', () => dc.pauseRequest({ threadId: 1 }));
    assert.strictEqual(paused.body.reason, 'pause');
    assert.ok([5, 6].includes((await top(dc)).line));
    assert.ok(Number((await globals(dc)).n.value) > 0);
    const ended = await after(dc, 'exited', () => dc.terminateRequest({}));
    assert.strictEqual(ended.body.exitCode, 1);
  }).then(() => session(async dc => {
    await dc.launchRequest({ program: script('sleeper.vk') });
    await after(dc, 'output', () => dc.configurationDoneRequest());
    await new Promise(done => setTimeout(done, 200)); // asleep by now
    const asked = Date.now();
    const paused = await after(dc, 'stopped', () => dc.pauseRequest({ threadId: 1 }));
    assert.strictEqual(paused.body.reason, 'pause');
    assert.strictEqual((await top(dc)).line, 4);
    assert.ok(Date.now() - asked > 1000, 'the pause came before the sleep was over');
  })));

test('terminate ends a runaway script; a failing script exits with 1 and its diagnostics', () =>
  session(async dc => {
    await dc.launchRequest({ program: script('spin.vk') });
    await dc.configurationDoneRequest();
    const terminated = await after(dc, 'terminated', () => dc.terminateRequest({}));
    assert.ok(terminated);
  }).then(() => session(async dc => {
    const stdout = collectoutput(dc, 'stdout');
    const stderr = collectoutput(dc, 'stderr');
    await dc.launchRequest({ program: script('fails.vk'), cwd: require('./client').scripts });
    const exited = await after(dc, 'exited', () => dc.configurationDoneRequest());
    assert.strictEqual(exited.body.exitCode, 1);
    assert.strictEqual(stdout.text, 'before \n');
    assert.match(stderr.text, /fails\.vk\(3\): error: unknown element 'nosuch'/);
  })));
