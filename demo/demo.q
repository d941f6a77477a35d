/ Tovo demo: put the cursor on a line and press Ctrl+Enter to run it.
/ The demo instance answers the queries below (it does not evaluate other q).
.demo.vwap:{[s] exec size wavg price from .demo.trade where sym=s}
.demo.spread:{[s] exec last ask-bid from .demo.quote where sym=s}
.demo.report:{[s] v:.demo.vwap s; d:.demo.spread s; `sym`vwap`spread`ok!(s;v;d;.risk.check[s;v])}
.demo.summary:{[x] .demo.report each exec sym from .demo.refdata}

/ tables: a million trades, quotes, keyed tables
select from trade
10#quote
select vwap:size wavg price, volume:sum size by sym from trade
refdata
positions

/ a dictionary, functions calling each other
.demo.limits
.demo.vwap`AAPL
.demo.report`AAPL
.risk.breaches`AAPL`TSLA`XOM

/ the explorer's Get source and F12 (Go to Definition) on a name show the text above;
/ Ctrl+Q (Quick Watch) or the Watch pane show a variable
.demo.open
.risk.limit

/ a picture and an HTML page
.demo.chart[]
.demo.page[]

/ atoms, lists, an error, a slow query (Stop ends it)
til 10
1+1
.z.P
`AAPL+1
.demo.slow[]

/ Q > Test Subscription... subscribes to trade or quote (published 5 times a second).
