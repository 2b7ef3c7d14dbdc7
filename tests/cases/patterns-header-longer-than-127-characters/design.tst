.VECTORS 1
.COVERAGE                                                                                                                      
.PATTERNS
1X
