// paused.test.js - `vesk --dap` looking into a paused run through the engine's view of it: the
// call stack across script calls with each call's parameters, expressions evaluated in a chosen
// frame, setVariable, conditional breakpoints and log points with {expressions}, stops where
// errors are raised, and the parts of a parallel block as threads of their own.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { script, launchclient, after, launchto, top, collectoutput } = require('./client');

async function session(run) {
  const dc = await launchclient();
  try {
    await run(dc);
  } finally {
    await dc.stop();
  }
}

// The frames of thread `threadId` as "name:line".
async function stack(dc, threadId) {
  const frames = (await dc.stackTraceRequest({ threadId: threadId || 1 })).body.stackFrames;
  return frames.map(f => `${f.name}:${f.line}`);
}

async function evaluate(dc, expression, frameId) {
  return (await dc.evaluateRequest({ expression, frameId, context: 'watch' })).body.result;
}

// The variables of scope `name` in frame `frameId`, by name.
async function scope(dc, frameId, name) {
  const scopes = (await dc.scopesRequest({ frameId })).body.scopes;
  const found = scopes.find(s => s.name === name);
  const shown = await dc.variablesRequest({ variablesReference: found.variablesReference });
  return { reference: found.variablesReference,
           values: Object.fromEntries(shown.body.variables.map(v => [v.name, v.value])),
           names: scopes.map(s => s.name) };
}

test('a called script shows both frames, its Parameters, and evaluates in either frame', () =>
  session(async dc => {
    const stdout = collectoutput(dc, 'stdout');
    await launchto(dc, 'main.vk', { 'double.vk': [2] });
    assert.deepStrictEqual(await stack(dc), ['double.vk:2', 'main.vk:6']);
    const [inner, outer] = (await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames;
    const params = await scope(dc, inner.id, 'Parameters');
    assert.deepStrictEqual(params.names, ['Parameters', 'Globals']);
    assert.deepStrictEqual(params.values, { x: '1' });
    assert.deepStrictEqual((await scope(dc, outer.id, 'Globals')).names, ['Globals']);
    assert.strictEqual(await evaluate(dc, 'x * 10', inner.id), '10');
    assert.strictEqual(await evaluate(dc, 'i + total', outer.id), '1');
    await assert.rejects(evaluate(dc, 'x', outer.id), /unknown element 'x'/);
    // An evaluated list opens like a variable.
    const listed = (await dc.evaluateRequest({ expression: 'shop.stock', frameId: inner.id,
                                               context: 'hover' })).body;
    assert.strictEqual(listed.indexedVariables, 2);
    const items = (await dc.variablesRequest({ variablesReference: listed.variablesReference }))
                      .body.variables;
    assert.deepStrictEqual(items.map(i => i.name), ['[0]', '[1]']);
    // setVariable takes an expression of the frame: the parameter, then a nested member.
    const set = await dc.setVariableRequest({ variablesReference: params.reference, name: 'x',
                                             value: 'x + 40' });
    assert.strictEqual(set.body.value, '41');
    const pear = (await dc.variablesRequest({ variablesReference: items[1].variablesReference }))
                     .body.variables;
    assert.strictEqual(pear[1].name, 'count');
    const count = await dc.setVariableRequest({ variablesReference: items[1].variablesReference,
                                               name: 'count', value: '"none"' });
    assert.strictEqual(count.body.value, '"none"');
    assert.strictEqual(await evaluate(dc, 'shop.stock', inner.id), 'list of 2');
    await assert.rejects(dc.setVariableRequest({ variablesReference: items[1].variablesReference,
                                                 name: 'count', value: 'nosuch' }), /nosuch/);
    await dc.setBreakpointsRequest({ source: { path: script('double.vk') }, breakpoints: [] });
    await after(dc, 'terminated', () => dc.continueRequest({ threadId: 1 }));
    assert.strictEqual(stdout.text, 'total 92 \n');
  }));

test('a condition, a hit count over the passes where it holds, and a log point with values', () =>
  session(async dc => {
    const console = collectoutput(dc, 'console');
    await dc.setBreakpointsRequest({ source: { path: script('double.vk') },
                                     breakpoints: [{ line: 2, logMessage: 'x is {x}, {"t" + x} {nosuch} {}{' }] });
    const placed = await dc.setBreakpointsRequest({
      source: { path: script('main.vk') },
      breakpoints: [{ line: 7, condition: 'i >= 2', hitCondition: '2' }, { line: 9, condition: 'total +' }] });
    assert.deepStrictEqual(placed.body.breakpoints.map(b => b.verified), [true, true]);
    await launchto(dc, 'main.vk', {});
    assert.strictEqual(await evaluate(dc, 'i'), '3');
    assert.match(console.text, /^x is 1, t1 <error: [^>]*nosuch[^>]*> \{\}\{\nx is 2, t2 <error/);
    // A condition that cannot be tested stops, and says why.
    const stopped = await after(dc, 'stopped', () => dc.continueRequest({ threadId: 1 }));
    assert.strictEqual(stopped.body.reason, 'breakpoint');
    assert.strictEqual((await top(dc)).line, 9);
    assert.match(console.text, /main\.vk:9: the breakpoint's condition 'total \+' cannot be tested/);
  }));

test('stops where an error is raised inside try and where an uncaught one ends the run', () =>
  session(async dc => {
    await dc.launchRequest({ program: script('errors.vk'), cwd: require('./client').scripts });
    await dc.setExceptionBreakpointsRequest({ filters: ['raised', 'uncaught'] });
    const raised = await after(dc, 'stopped', () => dc.configurationDoneRequest());
    assert.strictEqual(raised.body.reason, 'exception');
    assert.match(raised.body.text, /thrower\.vk\(2\): error: deliberate/);
    assert.deepStrictEqual(await stack(dc), ['thrower.vk:2', 'errors.vk:4']);
    const info = (await dc.customRequest('exceptionInfo', { threadId: 1 })).body;
    assert.strictEqual(info.breakMode, 'always');
    const uncaught = await after(dc, 'stopped', () => dc.continueRequest({ threadId: 1 }));
    assert.match(uncaught.body.text, /unknown element 'nosuch'/);
    assert.deepStrictEqual(await stack(dc), ['errors.vk:9']);
    assert.strictEqual(await evaluate(dc, 'total'), '1');
    assert.strictEqual((await dc.customRequest('exceptionInfo', { threadId: 1 })).body.breakMode,
                       'unhandled');
    const exited = await after(dc, 'exited', () => dc.continueRequest({ threadId: 1 }));
    assert.strictEqual(exited.body.exitCode, 1);
  }).then(() => session(async dc => {
    const stdout = collectoutput(dc, 'stdout');
    await dc.launchRequest({ program: script('errors.vk'), cwd: require('./client').scripts });
    await dc.setExceptionBreakpointsRequest({ filters: ['uncaught'] });
    const stopped = await after(dc, 'stopped', () => dc.configurationDoneRequest());
    assert.deepStrictEqual([stopped.body.reason, (await top(dc)).line], ['exception', 9]);
    assert.strictEqual(stdout.text, 'caught \n');
    await assert.rejects(dc.setExceptionBreakpointsRequest({ filters: ['all'] }), /'all'/);
  })));

test('the parts of a parallel block are two threads; one paused holds the other', () =>
  session(async dc => {
    const threads = [];
    dc.on('thread', event => threads.push(`${event.body.reason} ${event.body.threadId}`));
    const first = await launchto(dc, 'parallel.vk', { 'parallel.vk': [12] });
    assert.strictEqual(first.body.threadId, 2);
    const listed = (await dc.threadsRequest()).body.threads;
    assert.deepStrictEqual(listed.map(t => t.id), [1, 2]);
    assert.deepStrictEqual(await stack(dc, 2), ['parallel.vk:12']);
    assert.deepStrictEqual(await stack(dc, 1), []);
    // The main part spins until this part goes on: meanwhile it waits.
    const spins = await evaluate(dc, 'spins');
    await new Promise(done => setTimeout(done, 300));
    assert.strictEqual(await evaluate(dc, 'spins'), spins);
    await dc.setBreakpointsRequest({ source: { path: script('parallel.vk') },
                                     breakpoints: [{ line: 10 }] });
    const second = await after(dc, 'stopped', () => dc.continueRequest({ threadId: 2 }));
    assert.deepStrictEqual([second.body.threadId, (await top(dc)).line], [1, 10]);
    // A step of the waiting part stops it at its next statement; the main part has run its
    // last one meanwhile.
    const other = await after(dc, 'stopped', () => dc.stepInRequest({ threadId: 2 }));
    assert.strictEqual(other.body.threadId, 2);
    const waiting = (await dc.stackTraceRequest({ threadId: 2 })).body.stackFrames[0].line;
    assert.ok([13, 14, 15].includes(waiting), `the other part stands at line ${waiting}`);
    // A step of the main part is not ended by the other part's statements: it waits for the
    // other part to end, then stops after the block.
    const stepped = await after(dc, 'stopped', () => dc.nextRequest({ threadId: 1 }));
    assert.deepStrictEqual([stepped.body.threadId, (await top(dc)).line], [1, 17]);
    assert.deepStrictEqual(threads, ['started 1', 'started 2', 'exited 2']);
    assert.deepStrictEqual((await dc.threadsRequest()).body.threads.map(t => t.id), [1]);
  }));
